#pragma once

// A page declared as data: its controls, front to back as the page stacks them, each with its
// kind, caption and rectangle in twips. The page base builds the controls from the table; tests
// and the benchmarks read the same table.

#include <algorithm>
#include <initializer_list>
#include <span>
#include <string_view>

namespace wizard::tables {

/// The pages of the wizard. The values are the page numbers that the page codes
/// (`step_code`, `source_form`) carry.
enum class PageId : int {
  TestForm = 1,
  Gallery = 2,
  Choice = 3,
  File = 4,
  Progress = 5,
  Step6 = 7,
  StepOne = 8,
  Microphone = 9,
  Speech = 10,
  FloatingStep5 = 11,
  Finish = 12,
  FixedStep5 = 14,
};

constexpr int number(PageId id) { return static_cast<int>(id); }

enum class Kind {
  Emblem,    // the page emblem, a picture box showing the loudspeaker picture
  Button,    // push button
  Option,    // option button; the options of one container form one group
  CheckBox,  // check box
  Label,     // caption text
  TextBox,   // one-line text box
  TextArea,  // multi-line text box, read-only unless the page says otherwise
  Picture,   // picture box (drawn on, clickable)
  Frame,     // container without border, holding other rows (`parent`)
  ComboBox,  // drop-down list
  Slider,    // horizontal slider
  Flash,     // Flash movie control
  Browser,   // web browser control
};
inline constexpr int kKinds = static_cast<int>(Kind::Browser) + 1;  // Browser stays last

/// One control of a page.
struct Control {
  const char* name;  // the member's name, "Command1"; a control array's common name
  Kind kind;
  const char* caption;           // "" when none
  int left, top, width, height;  // twips, within `parent`; 0, 0, 0, 0 when a handler places it
  int tab = 0;                   // place in the tab order from 1; 0 keeps it out
  int index = -1;                // index within a control array; -1 for a single control
  const char* parent = nullptr;  // the container's name; nullptr for the page itself
};

using ControlTable = std::span<const Control>;

/// The kind of the single control `name` of `table`; a table without it does not compile.
consteval Kind kind_of(ControlTable table, std::string_view name) {
  for (const Control& row : table)
    if (row.index < 0 && name == row.name) return row.kind;
  throw "the page's table has no single control of this name";
}

/// The first single control of `table` that `names` leave out; empty when they name them all.
/// Control arrays are bound by their pages.
consteval std::string_view unnamed_control(ControlTable table,
                                           std::initializer_list<std::string_view> names) {
  for (const Control& row : table)
    if (row.index < 0 && std::find(names.begin(), names.end(), row.name) == names.end()) return row.name;
  return {};
}

}  // namespace wizard::tables
