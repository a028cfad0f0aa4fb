#include "platform/speech/voice_tokens.h"

#include "core/errors.h"
#include "platform/speech/espeak_engine.h"
#include "platform/speech/voice_characters.h"

namespace sapi {

SpObjectToken::SpObjectToken(std::string id, std::string description)
    : id_(std::move(id)), description_(std::move(description)) {}

std::string SpObjectToken::GetDescription(std::int32_t) const { return description_; }

SpObjectToken ISpeechObjectTokens::Item(std::int32_t Index) const {
  if (Index < 0 || Index >= Count())
    throw core::VbError(-2147024809, "ISpeechObjectTokens", "Invalid token index");
  return tokens_[static_cast<std::size_t>(Index)];
}

ISpeechObjectTokens installed_voice_tokens() {
  std::vector<SpObjectToken> tokens;
  const auto voices = speech::installed_voices();
  for (const auto& voice : voices) tokens.emplace_back(voice.identifier, voice.name);
  // The characters follow the language voices, each when its language voice is installed.
  for (const auto& character : speech::voice_characters()) {
    for (const auto& voice : voices) {
      if (voice.identifier != character.voice) continue;
      tokens.emplace_back(speech::identifier(character), character.description);
      break;
    }
  }
  return ISpeechObjectTokens(std::move(tokens));
}

}  // namespace sapi
