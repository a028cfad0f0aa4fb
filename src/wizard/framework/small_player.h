#pragma once

// The small player of the microphone and speech pages: MCI commands to the wave-audio device
// under the alias "voice1", sent without an answer buffer and with their results ignored
// (nothing reports back while a sound plays), the "Resume" button that is laid over "Pause"
// while the sound is paused, and the status movie of each step.

#include <string>

class QPushButton;

namespace platform::flash {
class FlashControl;
}

namespace wizard::playback {

/// "stop voice1", then "close voice1".
void stop_and_close();

/// A page's player: its buttons, its status movie and the recording it plays. The handlers
/// below do what both pages' buttons do; each page adds its own button states.
struct SmallPlayer {
  platform::flash::FlashControl& status;  // loads spd/SWF/<step>.swf at each step
  QPushButton* record_button;             // "Start Recording", "Start Recording Text"
  QPushButton* pause_button;
  QPushButton* resume_button;
  QPushButton* stop_button;
  const char* file;  // the recording, as the device names it

  /// "Pause" shown and enabled, "Resume" hidden and disabled.
  void show_pause() const;
  /// "Play": "Pause" shown, then the recording opened and played from its start. A second
  /// "Play" while the player is open fails at the open and starts the sound again.
  void play() const;
  /// "Pause": "Resume" takes the rectangle of "Pause" and is shown and enabled over it.
  void pause() const;
  /// "Resume": "Pause" shown again and the sound resumed.
  void resume() const;
  /// "Stop": the player stopped and closed.
  void stop() const;
  /// "GoTo Begining": "Pause" and "Stop" disabled, the player stopped and closed.
  void go_to_beginning() const;
  /// "Clear": the player stopped and closed, recording enabled again.
  void clear() const;

 private:
  void show(const char* movie) const;
};

}  // namespace wizard::playback
