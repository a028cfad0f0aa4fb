// Damaged and padded sources: the frame walk goes on past a damaged header, the decoder keeps
// the sound before trailing junk, and text that is no UTF-8 is spoken once, not byte by byte.

#include <chrono>

#include "../audio_codec/codec_fixtures.h"
#include "../engine/fixtures.h"
#include "engine/final_movie.h"
#include "engine/sound_stream.h"
#include "platform/codec/mpeg_decoder.h"
#include "platform/speech/espeak_engine.h"

namespace {

using fixtures::frames;

// 193 frames of 417 bytes with frame `at` (0-based) damaged from byte `from` on by `damage`.
std::string damaged(std::size_t at, const std::string& damage) {
  std::string mp3 = frames("FFFB9064", 193);
  mp3.replace(at * 417, damage.size(), damage);
  return mp3 + fixtures::id3v1_tag();
}

TEST(DamagedSources, TheMovieKeepsEveryGoodFrame) {
  const std::string fake = fixtures::bytes("FFFB9064");  // a sync followed by no frame
  struct Row {
    const char* name;
    std::string mp3;
    std::int32_t frames;
    std::int32_t length_96;  // recorded length of frame 96 (1-based), which keeps skipped bytes
  };
  const Row rows[] = {
      {"two bytes zeroed at frame 97", damaged(96, std::string(2, '\0')), 192, 834},
      {"and a stray sync inside it", damaged(96, std::string(10, '\0') + fake), 192, 834},
      {"a whole frame of junk", damaged(96, std::string(417, '\x55')), 192, 834},
      {"zeros from frame 150 on", damaged(149, std::string(44 * 417, '\0')), 149, 417},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fixtures::Build b(row.mp3);
    Module12::make_final_swf();
    EXPECT_EQ(Module25::frame_count, row.frames);
    EXPECT_EQ(Module23::count_mp3_frames(b.source), row.frames);
    EXPECT_EQ(Module25::frame_lengths.at(95), row.length_96);
    const auto movie = fixtures::read_built_movie(b.spd("final.swf"));
    EXPECT_EQ(movie.joined, row.mp3.substr(0, movie.joined.size()));
  }
}

TEST(DamagedSources, TheDecoderKeepsTheSoundBeforeTrailingJunk) {
  testsupport::TempDir dir;
  const std::string mp3 = testsupport::read_bytes(codec_test::sox_mp3(dir, 32000));
  for (const std::string& tail : {std::string(20000, '\0'), fixtures::id3v1_tag() + std::string(3000, 'j')}) {
    testsupport::write_bytes(dir.file("padded.mp3"), mp3 + tail);
    std::string status;
    ASSERT_EQ(platform::CbMpegAudioDecoder(dir.file("padded.mp3"), dir.file("ours.wav"),
                                           platform::kDecodeToWave, status, nullptr),
              0)
        << status;
    codec_test::must_run("mpg123 -q -w " + testsupport::quote(dir.file("cli.wav")) + " " +
                         testsupport::quote(dir.file("padded.mp3")));
    EXPECT_TRUE(codec_test::pcm_of(testsupport::read_bytes(dir.file("ours.wav"))) ==
                codec_test::pcm_of(testsupport::read_bytes(dir.file("cli.wav"))));
  }
}

TEST(DamagedSources, TextThatIsNoUtf8IsSpokenAsOneBlank) {
  if (speech::installed_voices().empty()) GTEST_SKIP() << "no speech voice installed";
  std::size_t samples = 0;
  const auto start = std::chrono::steady_clock::now();
  speech::synthesize(std::string(65536, '\x80') + "\xC3\xA9\xFF", {},
                     [&](const std::int16_t*, std::size_t n) {
                       samples += n;
                       return true;
                     });
  EXPECT_LT(samples, static_cast<std::size_t>(speech::kEngineRate));  // well under a second of sound
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
