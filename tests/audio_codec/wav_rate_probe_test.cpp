#include "audio/codec/wav_rate_probe.h"

#include <gtest/gtest.h>

#include "codec_fixtures.h"
#include "core/shared_state.h"

namespace {

using namespace codec_test;
using testsupport::TempDir;
using testsupport::write_bytes;

class SourceFile {
 public:
  explicit SourceFile(const std::string& path) : old_(core::source_filename) { core::source_filename = path; }
  ~SourceFile() { core::source_filename = old_; }

 private:
  std::string old_;
};

TEST(WavRateProbe, ReadsTheRateOfCanonicalHeaders) {
  TempDir dir;
  for (const int rate : {44100, 8000, 11025, 22050, 48000, 96000}) {
    SourceFile source(sox_wav(dir, "in.wav", rate, 2, 16, 0.1));
    EXPECT_EQ(Module35::wav_sample_rate(), rate);
  }
  // Mono and 8-bit headers carry the rate at the same place.
  SourceFile source(sox_wav(dir, "mono.wav", 16000, 1, 8, 0.1));
  EXPECT_EQ(Module35::wav_sample_rate(), 16000);
}

TEST(WavRateProbe, BytesBelowSixteenKeepTheirPlace) {
  TempDir dir;
  write_bytes(dir.file("odd.wav"), stereo_wav(noise(16), 0x0A0B0C0D));
  SourceFile source(dir.file("odd.wav"));
  EXPECT_EQ(Module35::wav_sample_rate(), 0x0A0B0C0D);
  write_bytes(dir.file("one.wav"), stereo_wav(noise(16), 0x01000001));
  SourceFile one(dir.file("one.wav"));
  EXPECT_EQ(Module35::wav_sample_rate(), 0x01000001);
}

TEST(WavRateProbe, ANonCanonicalHeaderGivesWhateverStandsThere) {
  TempDir dir;
  // A LIST chunk before "fmt ": bytes 25-28 are inside the LIST payload.
  write_bytes(dir.file("list.wav"),
              riff("WAVE", chunk("LIST", "INFOabcdefgh") + chunk("fmt ", fmt_payload(2, 44100, 16)) +
                               chunk("data", noise(8))));
  SourceFile source(dir.file("list.wav"));
  EXPECT_EQ(Module35::wav_sample_rate(), 0x64636261);  // "abcd"
}

TEST(WavRateProbe, ShortFilesReadAsZeros) {
  TempDir dir;
  write_bytes(dir.file("short.wav"), stereo_wav(noise(16), 44100).substr(0, 26));
  SourceFile source(dir.file("short.wav"));
  EXPECT_EQ(Module35::wav_sample_rate(), 0xAC44);  // bytes 27 and 28 missing
  write_bytes(dir.file("empty.wav"), "");
  SourceFile empty(dir.file("empty.wav"));
  EXPECT_EQ(Module35::wav_sample_rate(), 0);
}

TEST(WavRateProbe, AMissingFileIsFileNotFound) {
  TempDir dir;
  SourceFile source(dir.file("missing.wav"));
  try {
    Module35::wav_sample_rate();
    ADD_FAILURE() << "no error";
  } catch (const core::VbError& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.description(), "File not found");
  }
}

TEST(PadHexByte, PadsOneDigitAndRefusesOtherLengths) {
  EXPECT_EQ(Module36::pad_hex_byte("A"), "0A");
  EXPECT_EQ(Module36::pad_hex_byte("0"), "00");
  EXPECT_EQ(Module36::pad_hex_byte("AC"), "AC");
  EXPECT_EQ(Module36::pad_hex_byte(""), "");
  EXPECT_EQ(Module36::pad_hex_byte("ABC"), "");
}

}  // namespace
