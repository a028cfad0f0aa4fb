// Movies built from MP3 files that lame and ffmpeg make here, checked from outside: the
// frames in the stream blocks are the source's bytes, the length fields hold, and ffprobe
// and ffmpeg read the lifted stream as the source's sound.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/shared_state.h"
#include "engine/final_movie.h"
#include "engine/mp3_header.h"
#include "engine/sound_stream.h"
#include "movie_check.h"
#include "movie_pieces.h"
#include "mp3_fixtures.h"
#include "support/test_support.h"

namespace {

using testsupport::capture;
using testsupport::quote;
using testsupport::read_bytes;

struct Source {
  std::string name;
  int rate;
  int channels;
  std::string tool;  // "lame" or "ffmpeg"
  std::string options;
  bool layer3;
};

// Samples per channel that ffmpeg decodes from a file, every frame's samples: no gapless
// trimming of the encoder's delay and padding, which a stream in a movie cannot carry.
long decoded_samples(const std::string& path) {
  const std::string out = capture("ffmpeg -nostdin -v error -flags2 +skip_manual -i " + quote(path) +
                                  " -map 0:a:0 -f s16le -ac 1 - | wc -c");
  return std::stol(out) / 2;
}

std::string probe(const std::string& path) {
  return capture(
      "ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels -of "
      "default=nw=1 " +
      quote(path));
}

TEST(MovieTools, StreamsOfEncodedFilesSurviveTheMovie) {
  testsupport::TempDir dir;
  const std::string cover = fixtures::jpeg(dir);
  const std::vector<Source> sources = {
      {"cbr_44100_stereo_v2_v1.mp3", 44100, 2, "lame", "-b 128 --tt Title --ta Artist --add-id3v2", true},
      {"cbr_22050_mono.mp3", 22050, 1, "lame", "-b 64 -m m", true},
      {"vbr_11025_stereo.mp3", 11025, 2, "lame", "-V 4 --tt Title", true},
      {"vbr_44100_mono_picture.mp3", 44100, 1, "lame",
       "-V 2 -m m --tt Title --ti " + quote(cover) + " --id3v2-only", true},
      {"ffmpeg_22050_stereo_tags.mp3", 22050, 2, "ffmpeg",
       "-c:a libmp3lame -b:a 96k -id3v2_version 4 -write_id3v1 1 -metadata title=Tone -metadata artist=Sox",
       true},
      {"ffmpeg_11025_mono_vbr.mp3", 11025, 1, "ffmpeg", "-c:a libmp3lame -q:a 5", true},
      {"ffmpeg_layer2_44100.mp2", 44100, 2, "ffmpeg", "-c:a mp2 -b:a 192k -f mp2", false},
  };
  for (const auto& s : sources) {
    SCOPED_TRACE(s.name);
    const std::string wav = fixtures::tone_wav(dir, s.rate, s.channels, 2.0);
    const std::string mp3 = s.tool == "lame" ? fixtures::lame(dir, s.name, wav, s.options)
                                             : fixtures::ffmpeg(dir, s.name, wav, s.options);
    testsupport::TempAppDir app;
    fixtures::write_pieces(app);
    core::source_filename = mp3;
    core::save_path = dir.file(s.name + ".swf");
    Module12::make_final_swf();

    // (a) The frames in the blocks, joined, are the bytes the walk covers.
    const std::string file = read_bytes(mp3);
    const auto data = engine::frame_data(file, engine::find_first_frame(file));
    std::vector<std::int32_t> lengths;
    engine::walk_frames(data, &lengths);
    std::size_t covered = 0;
    for (auto l : lengths) covered += static_cast<std::size_t>(l);
    EXPECT_GT(lengths.size(), 10u);
    EXPECT_GE(covered + 4, data.size());  // at most a few stray bytes are left over
    const std::string movie = read_bytes(core::save_path);
    const auto built = fixtures::read_built_movie(movie);  // (b) FileLength and the sprite's length
    EXPECT_EQ(built.joined, std::string(data.substr(0, covered)));
    EXPECT_EQ(built.sprite_tag.length, read_bytes(app.spd("sprite_mp3.dat")).size() - 6);
    EXPECT_EQ(built.head.stream_type, s.channels - 1);
    EXPECT_EQ(built.head.compression, 2);

    if (!s.layer3) continue;
    // (c) ffmpeg reads only top-level streams: lift it out of the sprite first.
    const std::string lifted = dir.file(s.name + ".lifted.swf");
    testsupport::write_bytes(lifted, fixtures::lift_stream(built));
    EXPECT_EQ(probe(lifted), "codec_name=mp3\nsample_rate=" + std::to_string(s.rate) +
                                 "\nchannels=" + std::to_string(s.channels) + "\n");
    const long source_samples = decoded_samples(mp3);
    const long movie_samples = decoded_samples(lifted);
    const int spf = s.rate == 44100 ? 1152 : 576;
    // The movie also plays the encoder's silent information frame, which ffmpeg's MP3 reader
    // takes for a header and skips.
    EXPECT_GT(source_samples, s.rate);
    EXPECT_LE(std::labs(movie_samples - source_samples), spf) << source_samples << " " << movie_samples;
  }
}

}  // namespace
