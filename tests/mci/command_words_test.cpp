// Reading command strings: words, quoted paths, numbers and where a drive path lives.

#include "platform/mci/command_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using platform::mci::split_words;

TEST(CommandWords, SplitsAtRunsOfBlanks) {
  EXPECT_EQ(split_words("set recsound alignment  4"),
            (std::vector<std::string>{"set", "recsound", "alignment", "4"}));
  EXPECT_EQ(split_words("  open  C:\\NewWav.wav type waveaudio alias voice1 "),
            (std::vector<std::string>{"open", "C:\\NewWav.wav", "type", "waveaudio", "alias", "voice1"}));
  EXPECT_TRUE(split_words("").empty());
  EXPECT_TRUE(split_words(" \t ").empty());
}

TEST(CommandWords, QuotedStretchIsOneWordWithoutQuotes) {
  EXPECT_EQ(split_words("save recsound \"/tmp/my recordings/a b.wav\""),
            (std::vector<std::string>{"save", "recsound", "/tmp/my recordings/a b.wav"}));
  EXPECT_EQ(split_words("open \"unclosed path"), (std::vector<std::string>{"open", "unclosed path"}));
  EXPECT_EQ(split_words("open \"\" alias"), (std::vector<std::string>{"open", "", "alias"}));
}

TEST(CommandWords, LowerCase) {
  EXPECT_EQ(platform::mci::lower("Open NEW Type WaveAudio"), "open new type waveaudio");
}

TEST(CommandWords, NumbersMustFillTheWord) {
  const std::vector<std::pair<std::string, long>> good = {{"4", 4}, {"+22050", 22050}, {"-1", -1}, {"0", 0}};
  for (const auto& [text, expected] : good) {
    long value = 99;
    EXPECT_TRUE(platform::mci::parse_number(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  for (const char* text : {"", "+", "4x", "x4", " 4", "2.5", "99999999999999999999999"}) {
    long value = 0;
    EXPECT_FALSE(platform::mci::parse_number(text, value)) << text;
  }
}

TEST(CommandWords, DrivePathsLiveInTheHomeFolder) {
  testsupport::TempAppDir dir;
  const std::string home = (dir.path() / "home").string();
  EXPECT_EQ(platform::mci::local_path("C:\\NewWav.wav"), home + "/NewWav.wav");
  EXPECT_EQ(platform::mci::local_path("c:\\text.wav"), home + "/text.wav");
  EXPECT_EQ(platform::mci::local_path("D:/sounds\\take 1.wav"), home + "/sounds/take 1.wav");
  EXPECT_EQ(platform::mci::local_path("/tmp/x.wav"), "/tmp/x.wav");
  EXPECT_EQ(platform::mci::local_path("relative\\x.wav"), "relative\\x.wav");
  EXPECT_EQ(platform::mci::local_path("C:"), "C:");
}

}  // namespace
