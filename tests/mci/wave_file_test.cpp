// The WAV files the device saves and opens, checked against sox and ffmpeg, and their limit.

#include "platform/mci/wave_file.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "core/errors.h"
#include "core/wave_header.h"
#include "platform/speech/streams.h"
#include "support/test_support.h"

namespace {

using platform::mci::WaveFormat;
using platform::mci::WaveRead;

TEST(WaveFile, ReadsFfmpegFileWithExtraChunksSameSamplesAsFfmpeg) {
  testsupport::TempDir dir;
  const std::string wav = dir.file("tagged.wav");
  const std::string raw = dir.file("tagged.raw");
  ASSERT_EQ(
      testsupport::run("ffmpeg -v error -f lavfi -i sine=frequency=440:sample_rate=11025:duration=0.5 -ac 2 "
                       "-metadata title=tagged -c:a pcm_s16le -y " +
                       testsupport::quote(wav)),
      0);
  ASSERT_EQ(testsupport::run("ffmpeg -v error -i " + testsupport::quote(wav) +
                             " -f s16le -c:a pcm_s16le -y " + testsupport::quote(raw)),
            0);
  ASSERT_NE(testsupport::read_bytes(wav).find("LIST"), std::string::npos) << "the fixture has an extra chunk";

  WaveFormat format;
  std::string pcm;
  ASSERT_EQ(platform::mci::read_wave_file(wav, format, pcm), WaveRead::ok);
  EXPECT_EQ(std::tuple(format.channels, format.samples_per_sec, format.bits_per_sample, format.block_align),
            std::tuple(2, 11025, 16, 4));
  EXPECT_EQ(pcm, testsupport::read_bytes(raw));
}

TEST(WaveFile, RefusesWhatItCannotPlayAndCutsAnOverlongDataChunk) {
  testsupport::TempDir dir;
  WaveFormat format;
  std::string pcm = "untouched";
  EXPECT_EQ(platform::mci::read_wave_file(dir.file("missing.wav"), format, pcm), WaveRead::not_found);

  ASSERT_EQ(testsupport::run("sox -n -r 8000 -c 1 -e floating-point -b 32 " +
                             testsupport::quote(dir.file("float.wav")) + " synth 0.1 sine 300"),
            0);
  testsupport::write_bytes(dir.file("text.wav"), "this is not a sound file at all, only text");
  testsupport::write_bytes(dir.file("short.wav"),
                           platform::mci::wave_header(WaveFormat{2, 22050, 16, 4}, 0).substr(0, 31));
  testsupport::write_bytes(dir.file("six.wav"), platform::mci::wave_header(WaveFormat{6, 8000, 16, 12}, 0));
  for (const char* name : {"float.wav", "text.wav", "short.wav", "six.wav"})
    EXPECT_EQ(platform::mci::read_wave_file(dir.file(name), format, pcm), WaveRead::not_wave) << name;
  EXPECT_EQ(pcm, "untouched");

  // Claims 1000 bytes of 16-bit stereo, holds 10 (two whole frames and a piece).
  testsupport::write_bytes(dir.file("cut.wav"),
                           platform::mci::wave_header(WaveFormat{2, 22050, 16, 4}, 1000) + "0123456789");
  ASSERT_EQ(platform::mci::read_wave_file(dir.file("cut.wav"), format, pcm), WaveRead::ok);
  EXPECT_EQ(pcm, "01234567");
}

// Sound past the 4 GiB a WAV header counts, from the recorder or a voice: refused, nothing partial
// left. The sound is untouched address space; the size limit stops a writer that would go on.
TEST(WaveFile, SoundPastFourGibIsRefusedAndLeavesNothingPartial) {
  static_assert(core::wave_data_fits(4294967258u));
  testsupport::TempDir dir;
  testsupport::write_bytes(dir.file("NewWav.wav"), "an older recording");
  sapi::SpFileStream stream;
  stream.Open(dir.file("text.wav"), sapi::SSFMCreateForWrite);
  const testsupport::FileSizeLimit limit(1 << 20);
  const std::string_view sound(
      static_cast<const char*>(
          ::mmap(nullptr, 4294967260u, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)),
      4294967260u);
  EXPECT_EQ(platform::mci::write_wave_file(dir.file("NewWav.wav"), WaveFormat{2, 192000, 16, 4},
                                           sound.substr(1)),  // odd: its pad byte would not fit
            platform::mci::WaveWrite::too_long);
  EXPECT_TRUE(testsupport::read_bytes(dir.file("NewWav.wav")) == "an older recording");
  EXPECT_THROW(stream.write(sound), core::VbError);
  EXPECT_FALSE(stream.is_open() || std::filesystem::exists(dir.file("text.wav")));
}

}  // namespace
