#pragma once

// The encoder library's version record, with its release date and home page decoded.

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/codec/lame_stream.h"

class cLameEncoderVersion {
 public:
  /// Fills the record from the encoder library.
  cLameEncoderVersion();
  /// Decodes a given record (the encoder's own constructor passes the library's).
  explicit cLameEncoderVersion(const platform::LameVersion& record);

  std::uint8_t DllMajorVersion() const;
  std::uint8_t DllMinorVersion() const;
  std::uint8_t MajorVersion() const;
  std::uint8_t MinorVersion() const;
  /// The release date; 1899-12-30 (the zero date) when the record holds no valid date.
  std::chrono::year_month_day ReleaseDate() const { return release_date_; }
  const std::string& HomePage() const { return home_page_; }
  std::uint8_t AlphaLevel() const;
  std::uint8_t BetaLevel() const;
  std::uint8_t MMXEnabled() const;

 private:
  void DecodeReleaseDate();
  void DecodeHomePage();

  platform::LameVersion LameVersionInfo{};
  std::chrono::year_month_day release_date_;
  std::string home_page_;
};
