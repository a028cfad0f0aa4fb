// What mellix-bench does when its output path is a hazard: the input itself (also through a
// hard link), a pipe, a disk that fills up, a path that runs commands, a stopping signal. Every
// row must fail with a message naming the problem and leave every file of the folder as it was.

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "../audio_codec/codec_fixtures.h"
#include "../engine/fixtures.h"
#include "core/safe_files.h"

namespace {

namespace fs = std::filesystem;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::write_bytes;

// Every entry of the folder with its bytes ("<fifo>" for a pipe).
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir))
    files[e.path().filename()] = e.is_fifo()           ? "<fifo>"
                                 : e.is_regular_file() ? read_bytes(e.path())
                                                       : "<dir>";
  return files;
}

TEST(OutputPaths, HazardsFailClearlyAndLeaveEveryFileAsItWas) {
  testsupport::TempDir dir;
  const fs::path d = dir.path();
  codec_test::must_run("sox -n -r 44100 -c 2 -b 16 " + quote(dir.file("s.wav")) + " synth 3 sine 440");
  codec_test::must_run("lame --quiet -b 128 " + quote(dir.file("s.wav")) + " " + quote(dir.file("s.mp3")));
  const fixtures::Pieces pieces;
  fs::create_directory(d / "pieces");
  write_bytes(dir.file("pieces/tp.spd"), pieces.tp);
  write_bytes(dir.file("pieces/middle.spd"), pieces.middle);
  write_bytes(dir.file("pieces/bottom.spd"), pieces.bottom);
  fs::create_directories(d / "folder_piece" / "tp.spd");
  fs::create_hard_link(d / "s.mp3", d / "link.mp3");
  write_bytes(dir.file("old.out"), "keep me");
  write_bytes(dir.file("text.txt"), "A text to speak. It goes on for a while, and then some more.");
  write_bytes(dir.file("x'; touch pwned; '.txt"), "Quoted.");
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
  std::string words;  // minutes of speech
  while (words.size() < (1u << 20)) words += "Some words to speak, and more of them. ";
  write_bytes(dir.file("long.txt"), words);

  const std::string full = "trap '' XFSZ; ulimit -f 16; ";  // writes past 16 KiB fail as on a full disk
  struct Row {
    std::string prefix, args, message;
  };
  const Row rows[] = {
      {"", "decode s.mp3 s.mp3", "is the source file"},
      {"", "encode s.wav s.wav 44100", "is the source file"},
      {"", "swf s.mp3 pieces s.mp3", "is the source sound itself"},
      {"", "swf s.mp3 pieces link.mp3", "is the source sound itself"},
      {"", "decode s.mp3 pipe", "not a regular file"},
      {"", "swf pipe pieces old.out", "pipe is not a regular file"},
      {"", "encode pipe old.out 44100", "pipe is not a regular file"},
      {"", "encode missing.wav old.out 44100", "missing.wav does not exist"},
      {"", "encode s.wav old.out 44k", "RATE must be a whole number"},
      {"", "speech-file 22x text.txt old.out", "FORMAT must be a whole number"},
      {"", "swf s.mp3 folder_piece old.out", "tp.spd is a folder, not a file"},
      {"", "swf s.mp3 pieces missing/out.swf", "save path missing/out.swf does not exist"},
      {"", "swf s.mp3 pieces /proc/self/out.swf", "save path /proc/self/out.swf cannot be written"},
      {full, "decode s.mp3 old.out", "Failed to write"},
      {full, "encode s.wav old.out 44100", "Failed to write buffer"},
      {full, "swf s.mp3 pieces old.out", "Disk full"},
      {full, "speech-file 22 text.txt old.out", "Cannot write"},
      {"timeout -s TERM 2 ", "speech-file 39 long.txt old.out", ""},  // stopped: no part file stays
  };
  const std::string bench = quote((testsupport::build_dir() / "mellix-bench").string());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args);
    const auto before = snapshot(d);
    const std::string err = dir.file("../" + d.filename().string() + ".err");
    const int status = testsupport::run("cd " + quote(d.string()) + " && " + row.prefix + "timeout 60 " +
                                        bench + " " + row.args + " 2>" + quote(err));
    EXPECT_NE(status, 0);
    EXPECT_NE(read_bytes(err).find(row.message), std::string::npos) << read_bytes(err);
    EXPECT_EQ(snapshot(d), before);
    fs::remove(err);
  }
  // A quote in a path is a character of the path, not a command.
  EXPECT_EQ(testsupport::run("cd " + quote(d.string()) + " && " + bench + " speech-file 22 " +
                             quote("x'; touch pwned; '.txt") + " spoken.wav"),
            0);
  EXPECT_FALSE(fs::exists(d / "pwned"));
  EXPECT_FALSE(fs::exists(d / "spoken.wav.espeak-ng.wav"));
  // A file name of the longest length a folder takes is written as a short one is.
  const std::string longest = std::string(251, 'n') + ".swf";
  for (const std::string& name : {std::string("short.swf"), longest})
    EXPECT_EQ(testsupport::run("cd " + quote(d.string()) + " && " + bench + " swf s.mp3 pieces " + name), 0);
  EXPECT_TRUE(read_bytes(dir.file(longest)) == read_bytes(dir.file("short.swf"))) << "the same movie";
}

// The movie's copy to the save path on a disk that fills up after 16 KiB: reported, and the
// save path keeps its older movie.
TEST(OutputPaths, ACopyOntoAFullDiskIsReportedAndReplacesNothing) {
  testsupport::TempDir dir;
  write_bytes(dir.file("final.swf"), std::string(83780, 'm'));
  write_bytes(dir.file("saved.swf"), "older movie");
  long number = 0;
  try {
    const testsupport::FileSizeLimit full(16384);
    core::copy_whole_file(dir.file("final.swf"), dir.file("saved.swf"), "make_final_swf");
  } catch (const core::VbError& e) {
    number = e.number();
  }
  EXPECT_EQ(number, 61);
  EXPECT_EQ(read_bytes(dir.file("saved.swf")), "older movie");
  EXPECT_EQ(snapshot(dir.path()).size(), 2u);  // nothing left beside it
}

}  // namespace
