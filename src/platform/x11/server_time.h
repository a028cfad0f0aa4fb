#pragma once

// The X server's clock: the milliseconds that the server stamps on every input event it makes.

#include <cstdint>
#include <optional>

namespace platform {

/// The X server's time now, read with a round trip on a connection of our own to $DISPLAY: a
/// zero-length change of a property of a window of ours, whose notice the server stamps. Every
/// input event the server made before carries this time or an earlier one. nullopt without a
/// display, or when the server does not answer within a second.
std::optional<std::uint32_t> x_server_time();

/// Whether server time `time` is not after `mark`. The clock is 32 bits wide and wraps every
/// 49.7 days; two times less than half of that apart compare as they happened.
constexpr bool not_after(std::uint32_t time, std::uint32_t mark) {
  return static_cast<std::int32_t>(time - mark) <= 0;
}

}  // namespace platform
