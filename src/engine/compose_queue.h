#pragma once

#include <functional>

namespace engine {

/// Runs one composing request (a swatch click, a style pick, the autoplay box). The
/// composers yield to the message loop while they work, so another click can be handled in
/// the middle of a composition; such a request waits and runs, in arrival order, once the
/// running one has finished. The working pieces and the preview therefore always come from
/// one composition. Returns true when `request` ran now, false when it was queued.
/// If a request throws, the queued ones are dropped and the error reaches the caller.
bool run_composition(const std::function<void()>& request);

}  // namespace engine
