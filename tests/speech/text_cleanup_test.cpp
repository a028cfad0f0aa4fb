#include "audio/speech/text_cleanup.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// The clean-up written out step by step as the one-blank-at-a-time procedure, with 1-based
// positions: the oracle for the one-pass implementation.
std::size_t find_from(const std::string& t, std::size_t start, char mark) {
  const auto at = t.find(mark, start - 1);
  return at == std::string::npos ? 0 : at + 1;
}

std::string reference_space(std::string t, char mark) {
  std::size_t p = 0;
  for (;;) {
    const std::size_t n = t.size();
    p = find_from(t, p + 1, mark);
    if (p == 0 || p >= n) return t;
    t = t.substr(0, p) + " " + t.substr(p);
  }
}

std::int32_t reference_count(const std::string& s) {
  const std::size_t length = s.size();
  for (std::size_t pos = 1; pos < length; ++pos) {
    if (s[pos - 1] != ' ') return static_cast<std::int32_t>(pos - 1);
  }
  return 0;
}

std::string reference_squeeze(std::string t, char mark) {
  std::size_t p = 0;
  for (;;) {
    const std::size_t n = t.size();
    p = find_from(t, p + 1, mark);
    if (p == 0 || p >= n) return t;
    const std::size_t q = p + 1;
    const auto k = static_cast<std::size_t>(reference_count(t.substr(q)));
    t = t.substr(0, q) + t.substr(t.size() - (n - q - k));
  }
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

TEST(TextCleanup, SpaceAfterMarkLeavesAFinalMarkAlone) {
  EXPECT_EQ(Module51::space_after_period("a.b.c."), "a. b. c.");
  EXPECT_EQ(Module51::space_after_period("."), ".");
  EXPECT_EQ(Module51::space_after_period(".."), ". .");
  EXPECT_EQ(Module51::space_after_period("a. b"), "a.  b");
  EXPECT_EQ(Module51::space_after_period("a,b"), "a,b");
  EXPECT_EQ(Module51::space_after_comma("a,b,"), "a, b,");
  EXPECT_EQ(Module51::space_after_comma("a.b"), "a.b");
}

TEST(TextCleanup, SqueezeKeepsTheCharacterAfterTheMarkAndDropsTheCountedBlanks) {
  EXPECT_EQ(Module51::squeeze_after_period("One.   Two"), "One. Two");
  EXPECT_EQ(Module51::squeeze_after_period("a.  b"),
            "a.  b");  // the run reaches the second-to-last character
  EXPECT_EQ(Module51::squeeze_after_period("a.    "), "a.    ");    // blanks only
  EXPECT_EQ(Module51::squeeze_after_period("a.x   y"), "a.x   y");  // no blank right after x
  EXPECT_EQ(Module51::squeeze_after_period("a..   bc"), "a..bc");   // the blanks after the kept "." go
  EXPECT_EQ(Module51::squeeze_after_comma("p,  q, r"), "p, q, r");
  EXPECT_EQ(Module51::squeeze_after_comma("p.  q"), "p.  q");
}

TEST(TextCleanup, BlankCountLooksBeforeTheLastCharacterOnly) {
  EXPECT_EQ(Module51::count_blanks_period(""), 0);
  EXPECT_EQ(Module51::count_blanks_period(" "), 0);
  EXPECT_EQ(Module51::count_blanks_period("x"), 0);
  EXPECT_EQ(Module51::count_blanks_period("  x"), 0);  // position 3 is the last one
  EXPECT_EQ(Module51::count_blanks_period("  xy"), 2);
  EXPECT_EQ(Module51::count_blanks_period("x   "), 0);
  EXPECT_EQ(Module51::count_blanks_comma(",   ."), 0);
  EXPECT_EQ(Module51::count_blanks_comma("   ,."), 3);
  EXPECT_EQ(Module51::count_blanks_comma("    "), 0);
}

TEST(TextCleanup, MatchesTheStepByStepProcedureOnRandomTexts) {
  std::mt19937 random(20261206);
  const std::string alphabet = "ab .,  ..,,\xC3\xA9";
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 24, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    ASSERT_EQ(Module51::space_after_period(text), reference_space(text, '.')) << '"' << text << '"';
    ASSERT_EQ(Module51::squeeze_after_comma(text), reference_squeeze(text, ',')) << '"' << text << '"';
    ASSERT_EQ(Module51::count_blanks_period(text), reference_count(text)) << '"' << text << '"';
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
