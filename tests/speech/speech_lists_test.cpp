#include "audio/speech/speech_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "core/shared_state.h"

namespace {

// A combo box as the page's lists behave: insert at a position or append, data per row.
class ListBox : public Module32::ComboBox {
 public:
  void AddItem(const std::string& item, int index) override {
    items.insert(items.begin() + index, item);
    data.insert(data.begin() + index, 0);
  }
  void AddItem(const std::string& item) override {
    items.push_back(item);
    data.push_back(0);
  }
  int ListCount() const override { return static_cast<int>(items.size()); }
  void set_ItemData(int row, std::int32_t value) override { data.at(static_cast<std::size_t>(row)) = value; }

  std::vector<std::string> items;
  std::vector<std::int32_t> data;
};

class SpeechLists : public ::testing::Test {
 protected:
  void SetUp() override {
    Module32::set_lists({&standard, &natural, &formats});
    core::default_voice_count = 0;
    core::natural_voice_count = 0;
  }
  void TearDown() override { Module32::set_lists({}); }

  ListBox standard, natural, formats;
};

TEST_F(SpeechLists, VoicesGoInAtTheirCounters) {
  standard.AddItem("Microsoft Sam");  // the box's own text stays below the inserted voices
  Module32::add_default_voice("LH Michael");
  Module32::add_default_voice("Microsoft Sam");
  EXPECT_EQ(standard.items, (std::vector<std::string>{"LH Michael", "Microsoft Sam", "Microsoft Sam"}));
  EXPECT_EQ(core::default_voice_count, 2);
  core::default_voice_count = 0;  // a reset inserts at the top again
  Module32::add_default_voice("Microsoft Mary");
  EXPECT_EQ(standard.items.front(), "Microsoft Mary");
  EXPECT_EQ(standard.items[1], "LH Michael");
  EXPECT_EQ(core::default_voice_count, 1);

  Module32::add_natural_voice("John");
  Module32::add_natural_voice("Laura");
  Module32::add_natural_voice("John");
  EXPECT_EQ(natural.items, (std::vector<std::string>{"John", "Laura", "John"}));
  EXPECT_EQ(core::natural_voice_count, 3);
  EXPECT_EQ(core::default_voice_count, 1);
}

TEST_F(SpeechLists, ACounterAtItsLimitRaisesOverflow) {
  Module32::set_lists({});
  core::natural_voice_count = 32767;
  try {
    Module32::add_natural_voice("Kate");
    FAIL() << "no error";
  } catch (const core::VbError& error) {
    EXPECT_EQ(error.number(), 6);
    EXPECT_EQ(error.description(), "Overflow");
  }
  EXPECT_EQ(core::natural_voice_count, 32767);
}

}  // namespace
