#pragma once

// The speech page's voice lists and its list of the 36 audio formats a recording can use.

#include <array>
#include <cstdint>
#include <string>

namespace Module32 {

/// A combo box of the speech page, as the list fillers use it.
class ComboBox {
 public:
  virtual ~ComboBox() = default;
  /// Inserts an item at position index (0 = first).
  virtual void AddItem(const std::string& item, int index) = 0;
  /// Appends an item.
  virtual void AddItem(const std::string& item) = 0;
  virtual int ListCount() const = 0;
  virtual void set_ItemData(int row, std::int32_t data) = 0;
};

/// The speech page's three lists: standard voices, natural voices, audio formats.
struct SpeechLists {
  ComboBox* Combo2 = nullptr;
  ComboBox* Combo3 = nullptr;
  ComboBox* Combo4 = nullptr;
};

/// The speech page registers its lists before it fills them; nullptr entries are skipped.
void set_lists(const SpeechLists& lists);

/// One row of the format list: the format's name and its format identifier.
struct SoundFormat {
  std::string name;
  std::int32_t id;
};

/// The 36 formats in list order: 8, 11, 12, 16, 22, 24, 32, 44, 48 kHz, each as 8-bit mono,
/// 8-bit stereo, 16-bit mono, 16-bit stereo; identifiers 4 to 39.
const std::array<SoundFormat, 36>& sound_formats();

/// Inserts the name into Combo2 at default_voice_count and counts it.
void add_default_voice(const std::string& name);
/// Inserts the name into Combo3 at natural_voice_count and counts it.
void add_natural_voice(const std::string& name);
/// Appends the name to Combo4 and stores the identifier as the new row's item data.
void add_sound_format(const std::string& name, std::int32_t format_id);
/// Appends the 36 rows of sound_formats() to Combo4 (rows already there stay).
void fill_sound_formats();

}  // namespace Module32
