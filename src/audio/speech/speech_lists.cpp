#include "audio/speech/speech_lists.h"

#include <limits>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/shared_state.h"

namespace Module32 {

namespace {

SpeechLists& lists() {
  static SpeechLists registered;
  return registered;
}

// The counters are 16-bit; one more entry past the limit is an overflow error, not a wrap.
void count_one(std::int16_t& counter) {
  if (counter == std::numeric_limits<std::int16_t>::max()) {
    throw core::VbError(6, core::exe_name(), "Overflow");
  }
  ++counter;
}

}  // namespace

void set_lists(const SpeechLists& registered) { lists() = registered; }

const std::array<SoundFormat, 36>& sound_formats() {
  static const std::array<SoundFormat, 36> table = [] {
    static constexpr std::array<const char*, 9> rates = {"8", "11", "12", "16", "22", "24", "32", "44", "48"};
    static constexpr std::array<const char*, 4> layouts = {"8BitMono", "8BitStereo", "16BitMono",
                                                           "16BitStereo"};
    std::array<SoundFormat, 36> rows;
    for (std::size_t row = 0; row < rows.size(); ++row) {
      rows[row].name = std::string("SAFT") + rates[row / 4] + "kHz" + layouts[row % 4];
      rows[row].id = static_cast<std::int32_t>(row) + 4;  // SAFT8kHz8BitMono is 4
    }
    return rows;
  }();
  return table;
}

void add_default_voice(const std::string& name) {
  core::yield();
  if (lists().Combo2) lists().Combo2->AddItem(name, core::default_voice_count);
  count_one(core::default_voice_count);
}

void add_natural_voice(const std::string& name) {
  core::yield();
  if (lists().Combo3) lists().Combo3->AddItem(name, core::natural_voice_count);
  count_one(core::natural_voice_count);
}

void add_sound_format(const std::string& name, std::int32_t format_id) {
  core::yield();
  ComboBox* combo = lists().Combo4;
  if (!combo) return;
  const int row = combo->ListCount();
  combo->AddItem(name);
  combo->set_ItemData(row, format_id);
}

void fill_sound_formats() {
  core::yield();
  for (const auto& format : sound_formats()) add_sound_format(format.name, format.id);
}

}  // namespace Module32
