#pragma once

// The installed voices as tokens, as a voice enumerates them.

#include <cstdint>
#include <string>
#include <vector>

namespace sapi {

/// One installed voice (SpObjectToken).
class SpObjectToken {
 public:
  SpObjectToken(std::string id, std::string description);
  /// The voice's description ("English (America)"); the locale is not used.
  std::string GetDescription(std::int32_t Locale = 0) const;
  /// The engine's identifier of the voice.
  const std::string& Id() const { return id_; }

 private:
  std::string id_;
  std::string description_;
};

/// The token collection of a voice enumeration (ISpeechObjectTokens).
class ISpeechObjectTokens {
 public:
  explicit ISpeechObjectTokens(std::vector<SpObjectToken> tokens) : tokens_(std::move(tokens)) {}
  std::int32_t Count() const { return static_cast<std::int32_t>(tokens_.size()); }
  /// The token at Index (from 0); raises an error outside 0 .. Count() - 1.
  SpObjectToken Item(std::int32_t Index) const;

  auto begin() const { return tokens_.begin(); }
  auto end() const { return tokens_.end(); }

 private:
  std::vector<SpObjectToken> tokens_;
};

/// The installed voices in enumeration order: the voice of the user's language first, the
/// other language voices, then the voice characters (voice_characters.h).
ISpeechObjectTokens installed_voice_tokens();

}  // namespace sapi
