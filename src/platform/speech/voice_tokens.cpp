#include "platform/speech/voice_tokens.h"

#include "core/errors.h"
#include "platform/speech/espeak_engine.h"

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
  for (const auto& voice : speech::installed_voices()) tokens.emplace_back(voice.identifier, voice.name);
  return ISpeechObjectTokens(std::move(tokens));
}

}  // namespace sapi
