#include "audio/speech/text_cleanup.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(TextCleanup, PreparesEveryExampleOfTheTextGrab) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Hello.World", "Hello. World"},
      {"a,b", "a, b"},
      {"One.  Two,   three.", "One. Two, three."},
      {"x, y,z.", "x, y, z."},
      {"end.", "end."},
      {"Hi.  A", "Hi.   A"},
      {"a. b", "a.  b"},
      {"a...b", "a. . . b"},
      {"3.5", "3. 5"},
      {"1,000", "1, 000"},
      {"", ""},
  };
  for (const auto& [text, prepared] : cases) {
    EXPECT_EQ(Module51::prepare_speech_text(text), prepared) << '"' << text << '"';
  }
}

TEST(TextCleanup, LongTextsWithManyMarksTakeOnePass) {
  // Half a million marks and a run of 40000 blanks (more than a 16-bit count holds).
  std::string text;
  for (int i = 0; i < 250000; ++i) text += "a.,";
  text += "." + std::string(40000, ' ') + "end";
  const std::string prepared = Module51::prepare_speech_text(text);
  std::string expected;
  for (int i = 0; i < 250000; ++i) expected += "a. , ";
  expected += ". end";
  EXPECT_EQ(prepared, expected);
  EXPECT_EQ(Module51::count_blanks_period(std::string(40000, ' ') + "xy"), 40000);
}

}  // namespace
