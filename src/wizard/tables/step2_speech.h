#pragma once

// The speech page: the emblem, the voice choice, the text grab, the recorder and player
// buttons, the status and hint movies and the backdrop; and the voices the page knows.

#include <cstdint>

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kSpeechSource[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Command13", Kind::Button, "Cancel", 6480, 6360, 1815, 495, 23},
    {"Command12", Kind::Button, "Next >", 4440, 6360, 1815, 495, 22},
    {"Command2", Kind::Button, "< Back", 2400, 6360, 1815, 495, 21},
    {"ShockwaveFlash4", Kind::Flash, "", 2880, 1200, 4815, 855},
    {"Option1", Kind::Option, "Default Voice", 1800, 2160, 1575, 315, 1},
    {"Combo2", Kind::ComboBox, "Microsoft Sam", 3480, 2160, 2415, 315, 2},
    {"Option2", Kind::Option, "Natural Voice", 1800, 2580, 1575, 315, 3},
    {"Combo3", Kind::ComboBox, "John", 3480, 2580, 2415, 315, 4},
    {"Command8", Kind::Button, "Test Voice", 6120, 2160, 1935, 375, 5},
    {"Command9", Kind::Button, "Stop Testing", 6120, 2160, 1935, 375, 6},
    {"Command11", Kind::Button, "Sound Format Settings", 6120, 2580, 1935, 375, 7},
    {"Combo4", Kind::ComboBox, "Sound Formats", 8160, 2580, 2415, 315, 8},
    {"rate_slider", Kind::Slider, "", 1800, 3060, 2895, 375, 9},
    {"volume_slider", Kind::Slider, "", 5160, 3060, 2895, 375, 10},
    {"Command14", Kind::Button, "Get Selected Text", 1800, 3540, 1935, 435, 11},
    {"ShockwaveFlash2", Kind::Flash, "", 3960, 3480, 4095, 555},
    {"Text1", Kind::TextArea, "No Text Selected\n", 1800, 4080, 6255, 1095, 12},
    {"Text2", Kind::TextBox, "Text2", 8160, 4080, 2415, 315},
    {"Text3", Kind::TextBox, "Text3", 8160, 4470, 2415, 315},
    {"Text4", Kind::TextBox, "Text4", 8160, 4860, 2415, 315},
    {"Command1", Kind::Button, "Start Recording Text", 1800, 5280, 1935, 435, 13},
    {"Command3", Kind::Button, "Play", 3840, 5280, 1335, 435, 14},
    {"Command10", Kind::Button, "Resume", 5280, 5280, 1335, 435, 16},
    {"Command4", Kind::Button, "Pause", 5280, 5280, 1335, 435, 15},
    {"Command5", Kind::Button, "Stop", 6720, 5280, 1335, 435, 17},
    {"Command6", Kind::Button, "GoTo Begining", 3840, 5760, 2055, 375, 18},
    {"Command7", Kind::Button, "Clear", 6000, 5760, 2055, 375, 19},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

/// Which list of the page a known voice goes to.
enum class VoiceList { standard, natural };

/// A voice the page knows, by the description of its voice token (compared exactly).
struct KnownVoice {
  const char* description;
  VoiceList list;
  const char* shown_as;  // the entry in its list
  int slot;              // which of the page's voice index members holds its position
  const char* test_sentence;
};

/// Slots of the voice index members, in the order the page declares them.
enum VoiceSlot { kSam, kMichael, kMichelle, kMary, kMike, kJohn, kLaura, kPaul, kKate, kVoiceSlots };

inline constexpr KnownVoice kKnownVoices[] = {
    {"Microsoft Sam", VoiceList::standard, "Microsoft Sam", kSam,
     "Hello I am Sam, I can record text in default voice"},
    {"LH Michael", VoiceList::standard, "LH Michael", kMichael,
     "Hello I am Michael,I can record text in default voice"},
    {"LH Michelle", VoiceList::standard, "LH Michelle", kMichelle,
     "Hello I am Michelle,I can record text in default voice"},
    {"Microsoft Mary", VoiceList::standard, "Microsoft Mary", kMary,
     "Hello I am Marry, I can record text in default voice"},
    {"Microsoft Mike", VoiceList::standard, "Microsoft Mike", kMike,
     "Hello I am Mike, I can record text in default voice"},
    {"ATT DTNV1.4 Mike16", VoiceList::natural, "John", kJohn,
     "Hello I am John,I can record text in Natural voice"},
    {"ATT DTNV 1.4 Mike16", VoiceList::natural, "John", kJohn,
     "Hello I am John,I can record text in Natural voice"},
    {"ATT DTNV1.4 Crystal16", VoiceList::natural, "Laura", kLaura,
     "Hello I am Laura,I can record text in Natural voice"},
    {"ATT DTNV 1.4 Crystal16", VoiceList::natural, "Laura", kLaura,
     "Hello I am Laura,I can record text in Natural voice"},
    {"VW Paul", VoiceList::natural, "Paul", kPaul, "Hello I am Paul,I can record text in Natural voice"},
    {"VW Kate", VoiceList::natural, "Kate", kKate, "Hello I am Kate,I can record text in Natural voice"},
};

/// A standard voice that is known but not listed.
inline constexpr const char* kUnlistedStandardVoice = "Sample TTS Voice";

/// Output formats of the two kinds: 22 kHz 16-bit stereo for the standard voices, 16 kHz
/// 16-bit stereo for the natural ones.
inline constexpr std::int32_t kStandardFormat = 23;
inline constexpr std::int32_t kNaturalFormat = 19;

}  // namespace wizard::tables
