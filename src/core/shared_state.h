#pragma once

// Process-wide values that the pages and the engine share. They are read and written on the
// user-interface thread only, as the pages hand the user's choices from one step to the next.

#include <array>
#include <cstdint>
#include <string>

namespace core {

// The source sound.
inline std::string source_filename;          // path of the source sound
inline std::string source_type;              // "mp3" or "wav"
inline std::int32_t source_sample_rate = 0;  // rate of a WAV source, read by the encoder
inline std::int16_t rate_check_done = 0;     // 1 once the MP3 rate check ran for this source
inline std::int32_t mp3_file_len = 0;        // length of the MP3 last examined for its bitrate

// Output.
inline std::string save_path;  // where the finished movie is copied

// The chosen style: one flag set within a family.
inline std::array<bool, 6> sam_selected{};
inline std::array<bool, 6> sin_selected{};
inline std::array<bool, 18> ind_selected{};
inline bool button_selected = false;
inline std::string back_gnd_color = "FFFFFF";  // RRGGBB
inline std::string button_color;               // RRGGBB, last colour applied to a style
inline std::int16_t button_type = 0;           // 1 wide player, 2 square play/stop button

// Page codes.
inline std::int16_t step_code = 0;    // page recorded at each move
inline std::int16_t source_form = 0;  // 4 file, 9 microphone, 10 speech

// Speech page and the selected-text grab.
inline std::int16_t default_voice_count = 0;
inline std::int16_t natural_voice_count = 0;
inline std::int32_t voice_lists_filled = 0;
inline std::string grabbed_text;
inline std::string own_title;
inline bool own_title_pending = false;
inline std::string target_title;
inline std::uint32_t target_window = 0;  // the window titled target_title

}  // namespace core
