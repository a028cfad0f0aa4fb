#pragma once

// The MP3 encoder's stream interface: open a stream from a packed configuration record,
// encode chunks of 16-bit samples, flush, close, and a packed version record. The records
// keep the byte layout of the encoder DLL's interface, so callers fill and read them byte for
// byte through the offsets below and the little-endian helpers of core/hex.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/hex.h"

namespace platform {

// Results of the stream operations.
inline constexpr std::uint32_t BE_ERR_SUCCESSFUL = 0;
inline constexpr std::uint32_t BE_ERR_INVALID_FORMAT = 1;
inline constexpr std::uint32_t BE_ERR_INVALID_FORMAT_PARAMETERS = 2;
inline constexpr std::uint32_t BE_ERR_NO_MORE_HANDLES = 3;
inline constexpr std::uint32_t BE_ERR_INVALID_HANDLE = 4;
inline constexpr std::uint32_t BE_ERR_BUFFER_TOO_SMALL = 5;

/// Input sample rates a stream takes, in Hz. Far below, the library can overrun its own
/// buffers and end the process; above, its resampler's short fixed filter lets more and more
/// of what lies beyond the output's band fold back into it.
inline constexpr std::uint32_t kLowestInputRate = 8000;
inline constexpr std::uint32_t kHighestInputRate = 192000;

/// Configuration kind of the LAME record (the only kind the stream accepts).
inline constexpr std::uint32_t BE_CONFIG_LAME = 256;

/// Channel modes of the configuration record.
inline constexpr std::int32_t BE_MP3_MODE_STEREO = 0;
inline constexpr std::int32_t BE_MP3_MODE_JSTEREO = 1;
inline constexpr std::int32_t BE_MP3_MODE_MONO = 3;

/// VBR methods of the configuration record.
inline constexpr std::int32_t VBR_METHOD_NONE = -1;
inline constexpr std::int32_t VBR_METHOD_DEFAULT = 0;
inline constexpr std::int32_t VBR_METHOD_OLD = 1;
inline constexpr std::int32_t VBR_METHOD_NEW = 2;
inline constexpr std::int32_t VBR_METHOD_MTRH = 3;
inline constexpr std::int32_t VBR_METHOD_ABR = 4;

/// The packed, little-endian configuration record: 331 bytes.
inline constexpr std::size_t kLameConfigSize = 331;
using LameConfig = std::array<std::uint8_t, kLameConfigSize>;

/// Byte offsets of the configuration record's fields.
namespace lame_config {
inline constexpr std::size_t kConfigKind = 0;       // u32
inline constexpr std::size_t kStructVersion = 4;    // u32
inline constexpr std::size_t kStructSize = 8;       // u32
inline constexpr std::size_t kSampleRate = 12;      // u32, Hz
inline constexpr std::size_t kReSampleRate = 16;    // u32, Hz, 0 = same as input
inline constexpr std::size_t kMode = 20;            // i32
inline constexpr std::size_t kBitrate = 24;         // u32, kbit/s
inline constexpr std::size_t kMaxBitrate = 28;      // u32, kbit/s
inline constexpr std::size_t kPreset = 32;          // i32
inline constexpr std::size_t kMpegVersion = 36;     // u32
inline constexpr std::size_t kPsyModel = 40;        // u32
inline constexpr std::size_t kEmphasis = 44;        // u32
inline constexpr std::size_t kPrivate = 48;         // u32
inline constexpr std::size_t kCrc = 52;             // u32
inline constexpr std::size_t kCopyright = 56;       // u32
inline constexpr std::size_t kOriginal = 60;        // u32
inline constexpr std::size_t kWriteVbrHeader = 64;  // u32
inline constexpr std::size_t kEnableVbr = 68;       // u32
inline constexpr std::size_t kVbrQuality = 72;      // i32
inline constexpr std::size_t kVbrAbrBps = 76;       // u32
inline constexpr std::size_t kVbrMethod = 80;       // i32
inline constexpr std::size_t kNoRes = 84;           // u32
inline constexpr std::size_t kStrictIso = 88;       // u32
inline constexpr std::size_t kQuality = 92;         // u16
inline constexpr std::size_t kReserved = 94;        // 237 bytes
}  // namespace lame_config

/// The packed version record: 265 bytes.
inline constexpr std::size_t kLameVersionSize = 265;
using LameVersion = std::array<std::uint8_t, kLameVersionSize>;

/// Byte offsets of the version record's fields.
namespace lame_version {
inline constexpr std::size_t kDllMajor = 0;  // u8
inline constexpr std::size_t kDllMinor = 1;  // u8
inline constexpr std::size_t kMajor = 2;     // u8
inline constexpr std::size_t kMinor = 3;     // u8
inline constexpr std::size_t kDay = 4;       // u8
inline constexpr std::size_t kMonth = 5;     // u8
inline constexpr std::size_t kYear = 6;      // u16
inline constexpr std::size_t kHomePage = 8;  // 129 bytes, NUL-terminated
inline constexpr std::size_t kHomePageSize = 129;
inline constexpr std::size_t kAlphaLevel = 137;  // u8
inline constexpr std::size_t kBetaLevel = 138;   // u8
inline constexpr std::size_t kMmxEnabled = 139;  // u8
}  // namespace lame_version

/// The handle a new stream gets: `next`, or the first one after it that `in_use` does not
/// hold, wrapping past the largest and never 0 (which means "no stream"); `next` moves past
/// it. 0 when every handle is in use.
std::uint32_t take_free_handle(std::uint32_t& next, const std::function<bool(std::uint32_t)>& in_use);

/// Opens an encoder stream. On success: the number of 16-bit samples each chunk must hold,
/// the output buffer size in bytes each chunk and the flush may need, and the stream handle.
/// Input rates outside kLowestInputRate..kHighestInputRate are refused with
/// BE_ERR_INVALID_FORMAT_PARAMETERS.
std::uint32_t beInitStream(const LameConfig& config, std::uint32_t* samples, std::uint32_t* buffer_size,
                           std::uint32_t* stream);

/// Encodes `samples` 16-bit samples (interleaved left/right unless the stream is mono) into
/// `output`, which must hold the buffer size that beInitStream reported.
std::uint32_t beEncodeChunk(std::uint32_t stream, std::uint32_t samples, const std::int16_t* pcm,
                            std::uint8_t* output, std::uint32_t* written);

/// Flushes the frames the encoder still holds into `output`.
std::uint32_t beDeinitStream(std::uint32_t stream, std::uint8_t* output, std::uint32_t* written);

/// Releases the stream.
std::uint32_t beCloseStream(std::uint32_t stream);

/// Fills the version record: interface 1.32, the encoder library's version, the build date
/// of this layer and the library's home page.
void beVersion(LameVersion& version);

}  // namespace platform
