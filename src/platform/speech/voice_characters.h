#pragma once

// Voice characters: named voices made of an installed English voice of the engine and one of
// its voice variants. They are installed beside the engine's language voices under the
// descriptions a Windows machine's speech voices carry, so that a program that looks for a
// voice by its description finds a voice that sounds like its own.

#include <span>
#include <string>

namespace speech {

struct VoiceCharacter {
  const char* description;  // the token's description, "Microsoft Sam"
  const char* voice;        // the engine's language voice, "gmw/en-US"
  const char* variant;      // the engine's variant of it, "klatt"
};

/// Every character, standard voices first, then the natural ones.
std::span<const VoiceCharacter> voice_characters();

/// The engine's identifier of a character: its voice and variant joined by "+".
std::string identifier(const VoiceCharacter& character);

}  // namespace speech
