#include "templates.h"

#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "engine/style_pieces.h"
#include "output.h"
#include "swf.h"

namespace datagen {

namespace sw = datagen::swf;

namespace {

constexpr int kVersion = 8;
const char* const kSoundName = "sound";  // instance name of the sprite that carries the sound
const char* const kFaceName = "face";    // instance name of the single button's icon

// A shape that is defined and never placed, its fill styles all unused: it takes up exactly
// `size` bytes, so that the next colour field lands on the byte the composer patches.
std::string filler(int id, long size) {
  static constexpr std::array<int, 5> kRectBits = {0, 1, 3, 5, 7};  // rectangles of 1..5 bytes
  for (bool long_form : {false, true}) {
    for (int bits : kRectBits) {
      for (int count_bytes : {1, 3}) {
        const std::string bounds = sw::rect(0, 0, 0, 0, bits);
        const long fixed = 2 + static_cast<long>(bounds.size()) + count_bytes + 3;
        const long rest = size - (long_form ? 6 : 2) - fixed;
        if (rest < 0 || rest % 4 != 0) continue;
        const long fills = rest / 4;
        if ((count_bytes == 1) != (fills < 0xFF) || fills > 0xFFFF) continue;
        if (!long_form && fixed + rest >= 0x3F) continue;
        std::string body;
        sw::put_u16le(body, static_cast<std::uint16_t>(id));
        body += bounds;
        if (count_bytes == 1) {
          body.push_back(static_cast<char>(fills));
        } else {
          body.push_back(static_cast<char>(0xFF));  // extended count follows
          sw::put_u16le(body, static_cast<std::uint16_t>(fills));
        }
        for (long i = 0; i < fills; ++i) body += std::string("\x00\xFF\xFF\xFF", 4);  // solid white
        body.push_back(0);                                                            // LineStyleCount
        body.push_back(0);  // NumFillBits 0, NumLineBits 0
        body.push_back(0);  // EndShapeRecord
        return sw::tag(sw::kDefineShape2, body, long_form);
      }
    }
  }
  throw std::runtime_error("no filler of " + std::to_string(size) + " bytes");
}

using ColouredTag = std::function<std::string(int extra_bits, int* colour_offset)>;

// Lays out a piece: free definitions go in front of each coloured shape while they leave
// room, a filler closes the gap, and what did not fit follows the last coloured shape.
class PieceLayout {
 public:
  PieceLayout(std::string head, int& next_id) : bytes_(std::move(head)), next_id_(next_id) {}

  void add_free(const std::string& tag) { waiting_.push_back(tag); }

  void add_coloured(std::size_t position, const ColouredTag& make) {
    int offset = 0;
    make(0, &offset);
    while (!waiting_.empty() && bytes_.size() + waiting_.front().size() + offset < position - 1) {
      bytes_ += waiting_.front();
      waiting_.erase(waiting_.begin());
    }
    for (int extra = 0; extra <= 20; ++extra) {
      const std::string tag = make(extra, &offset);
      const long gap = static_cast<long>(position) - 1 - offset - static_cast<long>(bytes_.size());
      if (gap < 0) break;
      if (gap == 0 || gap >= 9) {
        if (gap > 0) bytes_ += filler(next_id_++, gap);
        bytes_ += tag;
        return;
      }
    }
    throw std::runtime_error("colour field cannot reach byte " + std::to_string(position));
  }

  std::string finish() {
    for (const std::string& tag : waiting_) bytes_ += tag;
    waiting_.clear();
    return bytes_;
  }

 private:
  std::string bytes_;
  int& next_id_;
  std::vector<std::string> waiting_;
};

std::string define_button(int id, const std::vector<std::string>& records, const std::string& actions) {
  std::string body;
  sw::put_u16le(body, static_cast<std::uint16_t>(id));
  body.push_back(0);  // not a menu button
  std::string chars;
  for (const std::string& r : records) chars += r;
  chars.push_back(0);                                                 // CharacterEndFlag
  sw::put_u16le(body, static_cast<std::uint16_t>(2 + chars.size()));  // ActionOffset
  body += chars;
  sw::put_u16le(body, 0);  // CondActionSize: the only (last) condition
  body.push_back(0x08);    // CondOverDownToOverUp: released over the button
  body.push_back(0x00);
  body += actions;
  body.push_back(0);  // ActionEndFlag
  return sw::tag(sw::kDefineButton2, body);
}

std::string button_record(int states, int id, int depth, const std::string& matrix_bytes,
                          const std::string& cxform) {
  std::string r;
  r.push_back(static_cast<char>(states));  // 0000 HitTest Down Over Up
  sw::put_u16le(r, static_cast<std::uint16_t>(id));
  sw::put_u16le(r, static_cast<std::uint16_t>(depth));
  return r + matrix_bytes + cxform;
}

constexpr int kUp = 1, kOver = 2, kDown = 4, kHit = 8;
const std::string kNoCxform(1, '\0');  // CXFORMWITHALPHA with no terms

std::string tell(const std::string& target, const std::string& actions) {
  return sw::act_set_target(target) + actions + sw::act_set_target("");
}

// What the single button shows (play or stop icon) and whether the sound runs, set together.
std::string toggle_state(bool on, const std::string& variable, const std::string& face) {
  return sw::act_push_string(variable) + sw::act_push_int(on ? 1 : 0) + sw::act_set_variable() +
         tell(face, sw::act_goto_frame(on ? 1 : 0));
}

std::string button_actions(ButtonRole role) {
  switch (role) {
    case ButtonRole::kPlay:
      return tell(kSoundName, sw::act_play());
    case ButtonRole::kPause:
      return tell(kSoundName, sw::act_stop());
    case ButtonRole::kStop:
      return tell(kSoundName, sw::act_goto_frame(0) + sw::act_stop());
    case ButtonRole::kToggle: {
      const std::string start = toggle_state(true, "on", kFaceName) + tell(kSoundName, sw::act_play());
      const std::string halt =
          toggle_state(false, "on", kFaceName) + tell(kSoundName, sw::act_goto_frame(0) + sw::act_stop());
      const std::string start_then_leave = start + sw::act_jump(static_cast<int>(halt.size()));
      return sw::act_push_string("on") + sw::act_get_variable() +
             sw::act_if(static_cast<int>(start_then_leave.size())) + start_then_leave + halt;
    }
  }
  return {};
}

// Frame 1 of the sound sprite, which carries no sound. A plain movie rests there until Play;
// an autoplay movie goes on the first time and rests there once the sound has played.
std::string sound_frame_one(bool autoplay, bool toggle) {
  const std::string rest =
      sw::act_stop() + (toggle ? toggle_state(false, "/:on", std::string("/") + kFaceName) : std::string());
  if (!autoplay) return rest;
  const std::string first =
      sw::act_push_string("played") + sw::act_push_int(1) + sw::act_set_variable() +
      (toggle ? toggle_state(true, "/:on", std::string("/") + kFaceName) : std::string());
  const std::string first_then_leave = first + sw::act_jump(static_cast<int>(rest.size()));
  return sw::act_push_string("played") + sw::act_get_variable() +
         sw::act_if(static_cast<int>(first_then_leave.size())) + first_then_leave + rest;
}

// The sprite head that the movie assembly completes: record header, id, frame count, the
// room for the SoundStreamHead, then the silent first frame. No End tag: the stream closes it.
std::string middle_piece(int sprite_id, bool autoplay, bool toggle) {
  std::string m;
  sw::put_record_header(m, sw::kDefineSprite, 0, true);  // FF 09, tag length below
  sw::put_u16le(m, static_cast<std::uint16_t>(sprite_id));
  sw::put_u16le(m, 1);  // frame count
  // The slot for the SoundStreamHead holds one for 44100 Hz stereo MP3 until a sound comes.
  m += sw::tag(sw::kSoundStreamHead, std::string("\x0F\x2F\x2E\x07\x00\x00", 6));
  m += sw::do_action(sound_frame_one(autoplay, toggle));
  m += sw::tag(sw::kShowFrame, {});
  sw::set_long_length(m);
  return m;
}

std::string at(double cx, double cy) {
  return sw::matrix(static_cast<int>(std::lround(cx)), static_cast<int>(std::lround(cy)));
}

}  // namespace

Pieces build_pieces(const Design& d, const ColourPlan& plan, bool autoplay) {
  int next_id = 1;
  const int sound_id = next_id++;
  const bool toggle = !d.buttons.empty() && d.buttons.front().role == ButtonRole::kToggle;

  // Head: the header's frame rectangle is widened to 8 bytes when the background colour
  // stands at byte 23; a FileAttributes tag stands before it when it stands at byte 28.
  const bool attributes = plan.background == 28;
  const int rect_bits = plan.background == 23 ? 13 : 0;
  std::string head = sw::header(kVersion, d.width, d.height, 1, rect_bits);
  if (attributes) head += sw::tag(sw::kFileAttributes, std::string(4, '\0'));
  head += sw::tag(sw::kSetBackgroundColor, sw::rgb(d.background));
  if (head.size() - 2 != plan.background) throw std::runtime_error("background colour off its byte");

  // Free definitions: the layers under the buttons, the shines and the icons.
  std::vector<std::string> free_defs;
  std::vector<int> decor_ids;
  for (const Layer& layer : d.decor) {
    decor_ids.push_back(next_id);
    free_defs.push_back(
        sw::define_shape3(next_id++, layer.path, layer.fill, nullptr, 0, layer.line, layer.line_width));
  }
  std::vector<int> shine_ids;
  for (std::size_t i = 0; i < d.buttons.size(); ++i) {
    if (d.buttons[i].shine.isEmpty()) {
      shine_ids.push_back(0);
    } else if (d.shared_body && i > 0) {
      shine_ids.push_back(shine_ids.front());
    } else {
      shine_ids.push_back(next_id);
      free_defs.push_back(sw::define_shape3(next_id++, d.buttons[i].shine, QColor(255, 255, 255, 90)));
    }
  }
  std::array<int, 4> icon_ids{};  // by role
  auto icon_id = [&](ButtonRole role, const QColor& colour, double size) {
    int& id = icon_ids[static_cast<int>(role)];
    if (id == 0) {
      id = next_id;
      free_defs.push_back(sw::define_shape3(next_id++, icon_path(role, 0, 0, size), colour));
    }
    return id;
  };
  int face_id = 0;
  int stop_face_id = 0;
  for (const ButtonArt& b : d.buttons) {
    if (b.role != ButtonRole::kToggle) {
      icon_id(b.role, b.icon_colour, b.icon_size);
      continue;
    }
    const int play_face = icon_id(ButtonRole::kToggle, b.icon_colour, b.icon_size);
    stop_face_id = next_id;
    free_defs.push_back(sw::define_shape3(next_id++, stop_icon(0, 0, b.icon_size * 0.9), b.icon_colour));
    // The icon of the single button: frame 1 the play triangle, frame 2 the stop square.
    face_id = next_id++;
    std::string body;
    sw::put_u16le(body, static_cast<std::uint16_t>(face_id));
    sw::put_u16le(body, 2);
    body += sw::place_object(1, play_face);
    body += sw::do_action(sw::act_stop());
    body += sw::tag(sw::kShowFrame, {});
    std::string remove;
    sw::put_u16le(remove, 1);
    body += sw::tag(sw::kRemoveObject2, remove);  // depth 1
    body += sw::place_object(1, stop_face_id);
    body += sw::tag(sw::kShowFrame, {});
    body += sw::tag(sw::kEnd, {});
    free_defs.push_back(sw::tag(sw::kDefineSprite, body));
  }

  // Body shapes, each at its colour position.
  const std::size_t bodies = d.shared_body ? 1 : d.buttons.size();
  if (plan.buttons.size() != bodies) throw std::runtime_error("colour plan does not match the design");
  std::vector<int> body_ids(d.buttons.size());
  std::vector<std::size_t> order(bodies);
  for (std::size_t i = 0; i < bodies; ++i) {
    order[i] = i;
    body_ids[i] = next_id++;
  }
  if (d.shared_body)
    for (auto& id : body_ids) id = body_ids.front();
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return plan.buttons[a] < plan.buttons[b]; });

  PieceLayout coloured(plan.buttons_in_bottom ? std::string() : head, next_id);
  for (const std::string& def : free_defs) coloured.add_free(def);
  for (std::size_t i : order) {
    const ButtonArt& b = d.buttons[i];
    const int id = body_ids[i];
    coloured.add_coloured(plan.buttons[i], [&](int extra, int* offset) {
      return sw::define_shape3(id, b.body, d.button_colour, offset, extra);
    });
  }
  std::string defs = coloured.finish();

  // Buttons and the main timeline's single frame.
  std::string tail;
  std::vector<int> button_ids;
  for (std::size_t i = 0; i < d.buttons.size(); ++i) {
    const ButtonArt& b = d.buttons[i];
    std::vector<std::string> records;
    records.push_back(button_record(kUp | kHit, body_ids[i], 1, at(b.cx, b.cy), kNoCxform));
    records.push_back(button_record(kOver, body_ids[i], 1, at(b.cx, b.cy), sw::cxform_add(28)));
    records.push_back(button_record(kDown, body_ids[i], 1, at(b.cx, b.cy), sw::cxform_scale(0.8)));
    if (shine_ids[i] != 0)
      records.push_back(button_record(kUp | kOver | kDown, shine_ids[i], 2, at(b.cx, b.cy), kNoCxform));
    if (b.role != ButtonRole::kToggle)
      records.push_back(button_record(kUp | kOver | kDown, icon_ids[static_cast<int>(b.role)], 3,
                                      at(b.cx, b.cy), kNoCxform));
    button_ids.push_back(next_id);
    tail += define_button(next_id++, records, button_actions(b.role));
  }
  int depth = 1;
  for (int id : decor_ids) tail += sw::place_object(depth++, id);
  for (std::size_t i = 0; i < d.buttons.size(); ++i) tail += sw::place_object(depth++, button_ids[i]);
  if (face_id != 0) {
    const ButtonArt& b = d.buttons.front();
    tail += sw::place_object(depth++, face_id, at(b.cx, b.cy), kFaceName);
  }
  tail += sw::place_object(depth++, sound_id, sw::matrix(), kSoundName);
  tail += sw::tag(sw::kShowFrame, {});
  tail += sw::tag(sw::kEnd, {});

  Pieces p;
  p.middle = middle_piece(sound_id, autoplay, toggle);
  if (plan.buttons_in_bottom) {
    p.tp = head;
    p.bottom = defs + tail;
  } else {
    p.tp = defs;
    p.bottom = tail;
  }
  std::string whole = p.tp + p.middle + p.bottom;
  sw::set_file_length(whole);
  p.tp = whole.substr(0, p.tp.size());
  return p;
}

namespace {

void write_set(const std::filesystem::path& spd, const std::string& tp_dir, const std::string& middle_dir,
               int k, const Pieces& p) {
  const std::string n = std::to_string(k);
  write_file(spd / tp_dir / ("tp" + n + ".spd"), p.tp);
  write_file(spd / middle_dir / ("middle" + n + ".spd"), p.middle);
  write_file(spd / tp_dir / ("bottom" + n + ".spd"), p.bottom);
}

}  // namespace

// The colour positions are the composer's own, so the bytes it rewrites are the fills.
namespace style = engine::style;

std::size_t at(std::int32_t position) { return static_cast<std::size_t>(position); }

ColourPlan sam_plan(int k) {
  return {
      at(style::back_gnd_position(style::kSam, k)), {at(style::button_position(style::kSam, k, 1))}, false};
}

ColourPlan ind_plan(int shape) {
  const auto button = [shape](int target) { return at(style::button_position(style::kInd, shape, target)); };
  return {at(style::back_gnd_position(style::kInd, shape)), {button(1), button(2), button(3)}, false};
}

ColourPlan sin_plan(int k) {
  return {
      at(style::back_gnd_position(style::kSin, k)), {at(style::button_position(style::kSin, k, 1))}, false};
}

ColourPlan sam_pla_plan(int k) {
  return {at(style::autoplay_back_gnd_position(style::kSam, k)),
          {at(style::autoplay_button_position(style::kSam, k))},
          true};
}

ColourPlan sin_pla_plan(int k) {
  return {at(style::autoplay_back_gnd_position(style::kSin, k)),
          {at(style::autoplay_button_position(style::kSin, k))},
          true};
}

void write_templates(const std::filesystem::path& spd) {
  for (int k = 1; k <= 6; ++k) {
    const std::string n = std::to_string(k);
    write_set(spd, "sam/" + n, "sam/middle", k, build_pieces(sam_design(k), sam_plan(k), false));
    write_set(spd, "ind/" + n + "_mod", "ind/middle_mod", k, build_pieces(ind_design(k), ind_plan(k), false));
    write_set(spd, "sin/" + n + "_sin", "sin/middle", k, build_pieces(sin_design(k), sin_plan(k), false));
    write_set(spd, "sam_pla/" + n + "_sam_pla", "sam_pla/middle", k,
              build_pieces(sam_design(k), sam_pla_plan(k), true));
    write_set(spd, "sin_pla/" + n + "_sin_pla", "sin_pla/middle", k,
              build_pieces(sin_design(k), sin_pla_plan(k), true));
  }
}

}  // namespace datagen
