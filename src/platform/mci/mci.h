#pragma once

// The Media Control Interface of the wave-audio device: command strings in, a result code and
// an answer text out. Devices are named by the alias given at "open" and live on the calling
// thread's event loop; "record" and "play" return at once while the device goes on.

#include <cstdint>

namespace platform {

/// Result codes of mciSendStringA; 0 is success. mciGetErrorStringA turns each into text.
namespace mci_error {
inline constexpr std::uint32_t kUnknownCommand = 301;
inline constexpr std::uint32_t kBadParameter = 302;
inline constexpr std::uint32_t kDeviceNotOpen = 303;
inline constexpr std::uint32_t kAliasInUse = 304;
inline constexpr std::uint32_t kUnknownDeviceType = 305;
inline constexpr std::uint32_t kNoInputDevice = 306;
inline constexpr std::uint32_t kNoOutputDevice = 307;
inline constexpr std::uint32_t kFormatNotSupported = 308;
inline constexpr std::uint32_t kDeviceFailed = 309;
inline constexpr std::uint32_t kFileNotFound = 310;
inline constexpr std::uint32_t kNotAWaveFile = 311;
inline constexpr std::uint32_t kCannotSave = 312;
inline constexpr std::uint32_t kBusy = 313;
inline constexpr std::uint32_t kNoApplication = 314;
inline constexpr std::uint32_t kFormatLocked = 315;
inline constexpr std::uint32_t kTooLong = 316;
}  // namespace mci_error

/// Sends one command string to the wave-audio device. A "status" command writes its answer
/// into `return_text` (at most `return_length` - 1 characters and a terminating NUL); other
/// commands leave an empty text there. `return_text` may be null when `return_length` is 0.
/// The callback window is not supported and must be null. Returns 0 or an error code.
std::uint32_t mciSendStringA(const char* command, char* return_text, std::uint32_t return_length,
                             void* callback_window);

/// Writes the device's text for an error code into `text` (NUL-terminated, cut to `length`).
/// Returns false, with a text saying so, for a code the device does not know.
bool mciGetErrorStringA(std::uint32_t error, char* text, std::uint32_t length);

}  // namespace platform
