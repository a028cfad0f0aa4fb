#include "audio/speech/speech_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "core/shared_state.h"

namespace {

// A combo box as the page's lists behave: items inserted at a position or appended, with
// item data per row.
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

TEST_F(SpeechLists, OneFillGivesTheThirtySixFormatsWithTheirIdentifiers) {
  Module32::fill_sound_formats();
  ASSERT_EQ(formats.ListCount(), 36);
  EXPECT_EQ(formats.items[0], "SAFT8kHz8BitMono");
  EXPECT_EQ(formats.data[0], 4);
  EXPECT_EQ(formats.items[18], "SAFT22kHz16BitMono");
  EXPECT_EQ(formats.data[18], 22);
  EXPECT_EQ(formats.items[19], "SAFT22kHz16BitStereo");
  EXPECT_EQ(formats.data[19], 23);
  EXPECT_EQ(formats.items[35], "SAFT48kHz16BitStereo");
  EXPECT_EQ(formats.data[35], 39);

  // Every row, as the enumeration names them.
  const std::vector<std::string> rates = {"8", "11", "12", "16", "22", "24", "32", "44", "48"};
  const std::vector<std::string> layouts = {"8BitMono", "8BitStereo", "16BitMono", "16BitStereo"};
  for (std::size_t row = 0; row < 36; ++row) {
    EXPECT_EQ(formats.items[row], "SAFT" + rates[row / 4] + "kHz" + layouts[row % 4]);
    EXPECT_EQ(formats.data[row], static_cast<std::int32_t>(row + 4));
  }
}

TEST_F(SpeechLists, ASecondFillAppendsTheTableAgain) {
  Module32::fill_sound_formats();
  Module32::fill_sound_formats();
  ASSERT_EQ(formats.ListCount(), 72);
  EXPECT_EQ(formats.items[36], "SAFT8kHz8BitMono");
  EXPECT_EQ(formats.data[36], 4);
  EXPECT_EQ(formats.items[71], "SAFT48kHz16BitStereo");
  EXPECT_EQ(formats.data[71], 39);
}

TEST_F(SpeechLists, FormatsAppendAfterRowsAlreadyThere) {
  formats.AddItem("Sound Formats");
  Module32::add_sound_format("SAFT16kHz16BitStereo", 19);
  ASSERT_EQ(formats.ListCount(), 2);
  EXPECT_EQ(formats.items[1], "SAFT16kHz16BitStereo");
  EXPECT_EQ(formats.data[1], 19);
  EXPECT_EQ(formats.data[0], 0);
}

TEST_F(SpeechLists, VoicesGoInAtTheirCounters) {
  standard.AddItem("Microsoft Sam");  // the box's own text stays below the inserted voices
  Module32::add_default_voice("LH Michael");
  Module32::add_default_voice("Microsoft Sam");
  EXPECT_EQ(standard.items, (std::vector<std::string>{"LH Michael", "Microsoft Sam", "Microsoft Sam"}));
  EXPECT_EQ(core::default_voice_count, 2);

  Module32::add_natural_voice("John");
  Module32::add_natural_voice("Laura");
  Module32::add_natural_voice("John");
  EXPECT_EQ(natural.items, (std::vector<std::string>{"John", "Laura", "John"}));
  EXPECT_EQ(core::natural_voice_count, 3);
  EXPECT_EQ(core::default_voice_count, 2);
}

TEST_F(SpeechLists, ACounterResetInsertsAtTheTopAgain) {
  Module32::add_default_voice("LH Michael");
  core::default_voice_count = 0;
  Module32::add_default_voice("Microsoft Mary");
  EXPECT_EQ(standard.items, (std::vector<std::string>{"Microsoft Mary", "LH Michael"}));
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
