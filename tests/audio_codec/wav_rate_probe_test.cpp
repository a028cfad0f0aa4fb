#include "audio/codec/wav_rate_probe.h"

#include <gtest/gtest.h>

#include "codec_fixtures.h"
#include "core/shared_state.h"

namespace {

using namespace codec_test;
using testsupport::TempDir;

TEST(WavRateProbe, ReadsTheFourBytesAtTheCanonicalRatePlace) {
  TempDir dir;
  struct Row {
    const char* name;
    std::string bytes;
    std::int32_t rate;
  };
  const Row rows[] = {
      {"sox stereo 48000", testsupport::read_bytes(sox_tone(dir.file("a.wav"), 48000, 2, 16, 0.1)), 48000},
      {"sox mono 8-bit 16000", testsupport::read_bytes(sox_tone(dir.file("b.wav"), 16000, 1, 8, 0.1)), 16000},
      {"bytes below 16 keep their place", stereo_wav(noise(16), 0x0A0B0C0D), 0x0A0B0C0D},
      {"zero bytes inside", stereo_wav(noise(16), 0x01000001), 0x01000001},
      {"LIST before fmt: inside its payload",
       riff("WAVE", chunk("LIST", "INFOabcdefgh") + chunk("fmt ", fmt_payload(2, 44100, 16))), 0x64636261},
      {"short file reads zeros", stereo_wav(noise(16), 44100).substr(0, 26), 0xAC44},
      {"empty file", "", 0},
  };
  for (const Row& row : rows) {
    testsupport::write_bytes(dir.file("in.wav"), row.bytes);
    Restore<std::string> source(core::source_filename, dir.file("in.wav"));
    EXPECT_EQ(Module35::wav_sample_rate(), row.rate) << row.name;
  }
  Restore<std::string> source(core::source_filename, dir.file("missing.wav"));
  try {
    Module35::wav_sample_rate();
    ADD_FAILURE() << "no error";
  } catch (const core::VbError& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.description(), "File not found: " + dir.file("missing.wav"));
  }
}

TEST(PadHexByte, PadsOneDigitAndRefusesOtherLengths) {
  for (const auto& [in, out] : {std::pair{"A", "0A"}, {"0", "00"}, {"AC", "AC"}, {"", ""}, {"ABC", ""}})
    EXPECT_EQ(Module36::pad_hex_byte(in), out) << in;
}

}  // namespace
