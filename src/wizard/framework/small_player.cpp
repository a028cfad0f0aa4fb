#include "wizard/framework/small_player.h"

#include "platform/mci/mci.h"

namespace wizard::playback {

void send(const std::string& command) { platform::mciSendStringA(command.c_str(), nullptr, 0, nullptr); }

void stop_and_close() {
  send("stop voice1");
  send("close voice1");
}

}  // namespace wizard::playback
