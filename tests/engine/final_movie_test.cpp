#include "engine/final_movie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "engine/sound_stream.h"
#include "fixtures.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Build;
using fixtures::bytes;
using fixtures::frames;
using fixtures::id3v1_tag;
using testsupport::capture;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::write_bytes;

// A source longer than the window it is read through gives the timeline of its frames in memory.
TEST(FinalMovie, BuildsTheMovieFromThePiecesAndTheSource) {
  const std::string data = frames("FFFB9064", 6000, "FFFB9264");
  ASSERT_GT(data.size(), 2u << 20);
  // An ID3v2 tag whose title text starts with a byte-order mark FF FE, as lame writes it.
  const std::string tag = "ID3" + bytes("0300000000001E") + "TIT2" +
                          bytes("0000000D00000001FFFE5400690074006C006500") + std::string(7, '\0');
  Build b(tag + data + id3v1_tag());
  Module12::make_final_swf();
  const std::string movie = b.spd("final.swf");
  EXPECT_EQ(read_bytes(b.save), movie);
  const auto built = fixtures::read_built_movie(movie);
  EXPECT_EQ(built.joined, data);
  EXPECT_EQ(built.head_tag.body, bytes("0F2F2E070000"));
  EXPECT_EQ(built.blocks.at(2).seek, 1371);
  // The sprite file is what the movie holds between the top and the bottom piece.
  const fixtures::Pieces pieces;
  EXPECT_EQ(movie.substr(8), pieces.tp.substr(8) + b.spd("sprite_mp3.dat") + pieces.bottom);

  // The page shows its animation, then the bar; no message.
  EXPECT_EQ(b.page.events,
            (std::vector<std::string>{"animation " + b.app.spd("SWF/Sound_Processing.swf"), "bar"}));
  EXPECT_FALSE(b.page.shown.empty());
  EXPECT_TRUE(b.boxes.texts().empty());

  // The next build replaces every file of this one; dual channel plays as stereo.
  const std::string shorter = frames("FFFB9084", 3);
  write_bytes(b.source, shorter + id3v1_tag());
  Module12::make_final_swf();
  const auto rebuilt = fixtures::read_built_movie(b.spd("final.swf"));
  EXPECT_EQ(rebuilt.joined, shorter);
  EXPECT_EQ(rebuilt.head_tag.body.substr(0, 2), bytes("0F2F"));
  EXPECT_EQ(read_bytes(b.save), b.spd("final.swf"));
  EXPECT_EQ(Module25::frame_count, 3);
}

TEST(FinalMovie, BadSourceShowsTheMessageOrThrowsAndWritesNoMovie) {
  // A JPEG marker FF E0 inside the tag is no frame.
  const std::string picture = bytes("FFD8FFE000104A46494600010100000100010000") + std::string(200, '\x11');
  const struct {
    const char* name;
    std::string content;
    bool message;  // "ERROR in file opening", or an error to the caller without one
  } rows[] = {
      {"no sync", std::string(4000, '\x55'), true},
      {"empty", "", true},
      {"a last FF", bytes("FF") + std::string(300, 'a'), true},
      {"a tag and nothing else", "ID3" + bytes("0300000000025C") + picture + std::string(128, '\0'), true},
      {"shorter than 128 bytes", bytes("FFFB9064") + std::string(100, 'a'), false},
      {"sync only in the last 128 bytes", std::string(50, 'a') + bytes("FFFB9064") + std::string(124, 'a'),
       false},
      {"a header without length", bytes("FFFB0064") + std::string(1000, 'a') + id3v1_tag(), false},
  };
  for (const auto& row : rows) {
    Build b(row.content);
    EXPECT_THROW(Module12::make_final_swf(), core::VbError) << row.name;
    EXPECT_EQ(b.boxes.texts(),
              row.message ? std::vector<std::string>{"ERROR in file opening"} : std::vector<std::string>{})
        << row.name;
    if (row.message) {
      EXPECT_FALSE(b.exists("sprite_top.dat")) << row.name;
    }
    EXPECT_FALSE(b.exists("final.swf")) << row.name;
    EXPECT_FALSE(fs::exists(b.save)) << row.name;
  }
}

TEST(FinalMovie, MissingFilesKeepTheLastMovie) {
  Build b(frames("FFFB9064", 5) + id3v1_tag());
  Module12::make_final_swf();
  const std::string last = b.spd("final.swf");
  fixtures::read_built_movie(last);

  write_bytes(b.source, frames("FFFB9064", 9) + id3v1_tag());
  fs::remove(b.app.spd("tp.spd"));
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
  EXPECT_EQ(b.spd("final.swf"), last);
  const std::string sprite = b.spd("sprite_mp3.dat");  // the sprite file is complete all the same
  EXPECT_EQ(sprite.substr(6), b.spd("sprite_top.dat").substr(6) + b.spd("mp3_data2.dat"));
  EXPECT_EQ(core::get_u32le(sprite, 2), sprite.size() - 6);
  EXPECT_GT(sprite.size(), 9u * 417);

  fs::remove(b.app.spd("middle.spd"));
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
  core::source_filename = b.app.spd("no_such.mp3");
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
}

// A movie holds at most 65,534 frames: the longest sound that fits fills exactly that many,
// and one MP3 frame more is refused, naming the limit and the sound's length, before any
// file is written. One 52-byte frame (11025 Hz, 576 samples) repeated makes the sound.
TEST(FinalMovie, TheLongestSoundFillsTheMovieAndALongerOneIsRefused) {
  const auto frames_of = [](std::int32_t n) {
    return engine::stream_frame_count(24, 11025, 576, std::vector<std::int32_t>(n, 52), n);
  };
  std::int32_t n = 52'000;
  while (frames_of(n + 1) <= engine::kMaxMovieFrames) ++n;
  {
    Build b(frames("FFE31064", n) + id3v1_tag());
    Module12::make_final_swf();
    EXPECT_EQ(fixtures::read_built_movie(b.spd("final.swf")).blocks.size(), 65'534u);  // a ShowFrame each
  }
  Build b(frames("FFE31064", n + 1) + id3v1_tag());
  try {
    Module12::make_final_swf();
    ADD_FAILURE() << "a sound of " << n + 1 << " frames was built";
  } catch (const core::VbError& error) {
    EXPECT_EQ(error.number(), 6);
    EXPECT_NE(error.description().find("lasts 45 min 30."), std::string::npos) << error.description();
    EXPECT_NE(error.description().find("at most 65,534 frames (45 min 30.6 s)"), std::string::npos);
  }
  for (const char* name : {"sprite_top.dat", "mp3_data2.dat", "sprite_mp3.dat", "final.swf"})
    EXPECT_FALSE(b.exists(name)) << name;
  EXPECT_FALSE(fs::exists(b.save));
}

// Only an ID3v1 tag and a frame cut short by the end are left out; ffprobe's frames of the whole
// file (after lame's information frame) are the oracle, those ending by the cut the cut file's.
TEST(FinalMovie, TheStreamCarriesEveryWholeFrameAndNoTagOrBrokenTail) {
  testsupport::TempDir dir;
  const std::string wav = fixtures::make(dir, "tone.wav", "sox -n -r 44100 -c 2 -b 16 OUT synth 2 sine 440");
  const std::string mp3 = fixtures::make(dir, "plain.mp3", "lame --quiet -b 128 " + quote(wav) + " OUT");
  const std::string plain = read_bytes(mp3);
  std::vector<std::size_t> ends;
  std::istringstream packets(
      capture("ffprobe -v error -show_entries packet=size,pos -of csv=p=0 " + quote(mp3)));
  std::size_t size = 0, pos = 0;
  for (std::string line; std::getline(packets, line);)
    if (std::sscanf(line.c_str(), "%zu,%zu", &size, &pos) == 2) ends.push_back(pos + size);
  ASSERT_GT(ends.size(), 70u);
  ASSERT_EQ(ends.back(), plain.size());
  const struct {
    const char* name;
    std::size_t cut;  // bytes taken off the end
    bool tag;
  } rows[] = {{"no tag", 0, false},
              {"cut in the last frame", 200, false},
              {"cut in a frame, then a tag", 1000, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::size_t sound = plain.size() - row.cut;
    const std::string file = plain.substr(0, sound) + (row.tag ? id3v1_tag() : "");
    Build b(file);
    Module12::make_final_swf();
    const auto built = fixtures::read_built_movie(b.spd("final.swf"));
    const auto whole = std::count_if(ends.begin(), ends.end(), [&](auto end) { return end <= sound; });
    EXPECT_TRUE(built.joined == file.substr(0, ends.at(whole - 1))) << built.joined.size() << " bytes";
    long samples = 0;  // the information frame plays as silence
    for (const auto& block : built.blocks) samples += block.sample_count;
    EXPECT_EQ(samples, (whole + 1) * 1152);
  }
}

// Position of the first FF followed by E0 or more, with no regard for tags (1-based, 0 none).
std::size_t naive_sync(const std::string& file) {
  for (std::size_t i = 0; i + 1 < file.size(); ++i)
    if (static_cast<unsigned char>(file[i]) == 0xFF && static_cast<unsigned char>(file[i + 1]) >= 0xE0)
      return i + 1;
  return 0;
}

// Samples per channel that ffmpeg decodes from a file, every frame's samples: no gapless
// trimming of the encoder's delay and padding, which a stream in a movie cannot carry.
long decoded_samples(const std::string& path) {
  return std::stol(capture("ffmpeg -nostdin -v error -flags2 +skip_manual -i " + quote(path) +
                           " -map 0:a:0 -f s16le -ac 1 - | wc -c")) /
         2;
}

// Movies from files that lame and ffmpeg make here, checked from outside: ffprobe and ffmpeg
// read the stream lifted out of the sprite as the source's sound.
TEST(FinalMovie, StreamsOfEncodedFilesSurviveTheMovie) {
  testsupport::TempDir dir;
  const std::string cover = fixtures::make(
      dir, "cover.jpg", "ffmpeg -nostdin -loglevel error -y -f lavfi -i color=red:s=32x32 -frames:v 1 OUT");
  const struct {
    std::string name;
    int rate, channels;
    bool lame;
    std::string options, untagged;  // the same encoding without tags
  } sources[] = {
      {"cbr_44100_stereo_v2_v1.mp3", 44100, 2, true, "-b 128 --tt Title --ta Artist --add-id3v2", "-b 128"},
      {"vbr_11025_stereo_v2.mp3", 11025, 2, true, "-V 4 --tt Title --ta Artist --id3v2-only", "-V 4"},
      {"vbr_44100_mono_picture.mp3", 44100, 1, true,
       "-V 2 -m m --tt Title --ti " + quote(cover) + " --id3v2-only", "-V 2 -m m"},
      {"ffmpeg_22050_stereo_tags.mp3", 22050, 2, false,
       "-c:a libmp3lame -joint_stereo 0 -b:a 96k -id3v2_version 4 -write_id3v1 1 -metadata title=Tone "
       "-metadata artist=Sox",
       "-c:a libmp3lame -joint_stereo 0 -b:a 96k -id3v2_version 0"},
      {"ffmpeg_11025_mono_vbr_picture.mp3", 11025, 1, false,
       "-i " + quote(cover) +
           " -map 0:a -map 1:v -c:a libmp3lame -q:a 5 -c:v copy -disposition:v attached_pic "
           "-id3v2_version 3 -metadata title=Tone",
       "-c:a libmp3lame -q:a 5 -id3v2_version 0"},
      {"ffmpeg_layer2_44100.mp2", 44100, 2, false, "-c:a mp2 -b:a 192k -f mp2", ""},
  };
  int tags_with_a_sync = 0;
  for (const auto& s : sources) {
    SCOPED_TRACE(s.name);
    // A chord keeps the VBR encoder busy enough to vary its frame sizes.
    const std::string r = std::to_string(s.rate), c = std::to_string(s.channels);
    const std::string wav = fixtures::make(
        dir, "tone_" + r + "_" + c + ".wav",
        "sox -n -r " + r + " -c " + c + " -b 16 OUT synth 2 sine 440 sine 660 tremolo 3 2>/dev/null");
    const auto encode = [&](const std::string& name, const std::string& options) {
      return fixtures::make(dir, name,
                            (s.lame ? "lame --quiet " + options + " " + quote(wav)
                                    : "ffmpeg -nostdin -loglevel error -y -i " + quote(wav) + " " + options) +
                                " OUT");
    };
    const std::string mp3 = encode(s.name, s.options);
    const std::string file = read_bytes(mp3);
    fixtures::Build b(file);
    Module12::make_final_swf();

    // The audio starts after a leading ID3v2 tag, though the tag holds a sync pattern.
    const std::size_t first = engine::find_first_frame(file);
    if (!s.untagged.empty()) {
      const std::string plain = read_bytes(encode("untagged_" + s.name, s.untagged));
      ASSERT_EQ(engine::find_first_frame(plain), 1);
      EXPECT_EQ(first, engine::id3v2_tag_size(file) + 1);
      EXPECT_EQ(file.substr(first - 1, plain.size()), plain);
      EXPECT_LE(naive_sync(file), first);
      tags_with_a_sync += naive_sync(file) < first;
    }
    // (a) The frames in the blocks, joined, are the bytes the walk covers; it finds the frames
    // ffprobe counts and the encoder's information frame, which ffprobe leaves out.
    const auto data = engine::frame_data(file, static_cast<std::int32_t>(first));
    std::vector<std::int32_t> lengths;
    Module24::build_frame_table(mp3, lengths);
    EXPECT_EQ(Module23::count_mp3_frames(mp3), static_cast<std::int32_t>(lengths.size()));
    if (file.compare(file.size() - 128, 3, "TAG") == 0) {  // else the last 128 bytes may hold frames
      const auto probed = std::stoul(capture(
          "ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 " + quote(mp3)));
      EXPECT_EQ(lengths.size(), probed + 1);
    }
    const std::size_t covered = std::accumulate(lengths.begin(), lengths.end(), std::size_t{0});
    EXPECT_GE(covered + 4, data.size());  // at most a few stray bytes are left over
    // (b) FileLength and the sprite's length are checked as the movie is read.
    const auto built = fixtures::read_built_movie(read_bytes(b.save));
    EXPECT_EQ(built.joined, std::string(data.substr(0, covered)));
    EXPECT_EQ(built.sprite_tag.length, b.spd("sprite_mp3.dat").size() - 6);
    EXPECT_EQ(built.head.stream_type, s.channels - 1);
    EXPECT_EQ(built.head.playback_type, s.channels - 1);
    EXPECT_EQ(built.head.compression, 2);
    if (s.name.ends_with(".mp2")) continue;

    // (c) ffmpeg reads only top-level streams: lift the stream out of the sprite first.
    const std::string lifted = dir.file(s.name + ".lifted.swf");
    testsupport::write_bytes(lifted, fixtures::lift_stream(built));
    EXPECT_EQ(
        capture("ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels "
                "-of default=nw=1 " +
                quote(lifted)),
        "codec_name=mp3\nsample_rate=" + std::to_string(s.rate) + "\nchannels=" + std::to_string(s.channels) +
            "\n");
    const long source_samples = decoded_samples(mp3);
    const long movie_samples = decoded_samples(lifted);
    // The movie also plays the encoder's information frame, which ffmpeg skips: within a frame.
    EXPECT_GT(source_samples, s.rate);
    EXPECT_LE(std::labs(movie_samples - source_samples), s.rate == 44100 ? 1152 : 576)
        << source_samples << " " << movie_samples;
  }
  EXPECT_EQ(tags_with_a_sync, 4);  // lame's UTF-16 texts and the pictures
}

}  // namespace
