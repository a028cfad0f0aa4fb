#pragma once

// The small player of the microphone and speech pages: MCI commands to the wave-audio device
// under the alias "voice1", sent without an answer buffer and with their results ignored
// (nothing reports back while a sound plays).

#include <string>

namespace wizard::playback {

/// Sends one command; its result is ignored.
void send(const std::string& command);

/// "stop voice1", then "close voice1".
void stop_and_close();

}  // namespace wizard::playback
