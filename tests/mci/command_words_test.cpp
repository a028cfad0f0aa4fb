// Reading command strings: words, quoted paths, numbers and where a drive path lives.

#include "platform/mci/command_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

TEST(CommandWords, SplitsAtBlanksAndKeepsQuotedStretchesWhole) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"set recsound alignment  4", {"set", "recsound", "alignment", "4"}},
      {"  open  C:\\NewWav.wav type waveaudio ", {"open", "C:\\NewWav.wav", "type", "waveaudio"}},
      {" \t ", {}},
      {"save recsound \"/tmp/my recordings/a b.wav\"", {"save", "recsound", "/tmp/my recordings/a b.wav"}},
      {"open \"unclosed path", {"open", "unclosed path"}},
      {"open \"\" alias", {"open", "", "alias"}},
  };
  for (const auto& [text, words] : cases) EXPECT_EQ(platform::mci::split_words(text), words) << text;
}

TEST(CommandWords, NumbersMustFillTheWord) {
  for (const auto& [text, expected] :
       std::vector<std::pair<std::string, long>>{{"+22050", 22050}, {"-1", -1}}) {
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
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\NewWav.wav", home + "/NewWav.wav"},
      {"D:/sounds\\take 1.wav", home + "/sounds/take 1.wav"},
      {"/tmp/x.wav", "/tmp/x.wav"},
      {"relative\\x.wav", "relative\\x.wav"},
      {"C:", "C:"},
  };
  for (const auto& [path, local] : cases) EXPECT_EQ(platform::mci::local_path(path), local) << path;
}

}  // namespace
