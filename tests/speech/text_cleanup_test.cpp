#include "audio/speech/text_cleanup.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// The clean-up written out as the one-blank-at-a-time procedure: the oracle for the one-pass code.
std::int32_t reference_count(const std::string& s) {
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != ' ') return static_cast<std::int32_t>(i);
  }
  return 0;
}

std::string reference_space(std::string t, char mark) {
  for (auto at = t.find(mark); at != std::string::npos && at + 1 < t.size(); at = t.find(mark, at + 1)) {
    t.insert(at + 1, " ");
  }
  return t;
}

std::string reference_squeeze(std::string t, char mark) {
  for (auto at = t.find(mark); at != std::string::npos && at + 1 < t.size(); at = t.find(mark, at + 1)) {
    t.erase(at + 2, static_cast<std::size_t>(reference_count(t.substr(at + 2))));
  }
  return t;
}

std::string reference_prepare(const std::string& text) {
  return reference_squeeze(reference_space(reference_squeeze(reference_space(text, '.'), '.'), ','), ',');
}

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

TEST(TextCleanup, MatchesTheStepByStepProcedureOnRandomTexts) {
  std::mt19937 random(20261206);
  const std::string alphabet = "ab .,  ..,,\xC3\xA9";
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 24, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    ASSERT_EQ(Module51::space_after_period(text), reference_space(text, '.')) << '"' << text << '"';
    ASSERT_EQ(Module51::space_after_comma(text), reference_space(text, ',')) << '"' << text << '"';
    ASSERT_EQ(Module51::squeeze_after_period(text), reference_squeeze(text, '.')) << '"' << text << '"';
    ASSERT_EQ(Module51::squeeze_after_comma(text), reference_squeeze(text, ',')) << '"' << text << '"';
    ASSERT_EQ(Module51::count_blanks_period(text), reference_count(text)) << '"' << text << '"';
    ASSERT_EQ(Module51::count_blanks_comma(text), reference_count(text)) << '"' << text << '"';
    ASSERT_EQ(Module51::prepare_speech_text(text), reference_prepare(text)) << '"' << text << '"';
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
