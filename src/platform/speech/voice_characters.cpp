#include "platform/speech/voice_characters.h"

#include <array>

namespace speech {

std::span<const VoiceCharacter> voice_characters() {
  // Each a voice of its own: the classic variants for the standard voices, the engine's
  // named, more natural-sounding variants for the natural ones.
  static constexpr std::array<VoiceCharacter, 9> kCharacters = {{
      {"Microsoft Sam", "gmw/en-US", "klatt"},
      {"LH Michael", "gmw/en", "m3"},
      {"LH Michelle", "gmw/en", "f2"},
      {"Microsoft Mary", "gmw/en-US", "f1"},
      {"Microsoft Mike", "gmw/en-US", "m2"},
      {"ATT DTNV1.4 Mike16", "gmw/en-US", "john"},
      {"ATT DTNV1.4 Crystal16", "gmw/en-US", "Annie"},
      {"VW Paul", "gmw/en", "paul"},
      {"VW Kate", "gmw/en", "linda"},
  }};
  return kCharacters;
}

std::string identifier(const VoiceCharacter& character) {
  return std::string(character.voice) + "+" + character.variant;
}

}  // namespace speech
