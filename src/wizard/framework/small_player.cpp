#include "wizard/framework/small_player.h"

#include <QPushButton>

#include "core/paths.h"
#include "platform/flash/flash_control.h"
#include "platform/mci/mci.h"

namespace wizard::playback {

namespace {

void send(const std::string& command) { platform::mciSendStringA(command.c_str(), nullptr, 0, nullptr); }

}  // namespace

void stop_and_close() {
  send("stop voice1");
  send("close voice1");
}

void SmallPlayer::show(const char* movie) const {
  status.LoadMovie(0, core::spd_path(std::string("SWF/") + movie));
}

void SmallPlayer::show_pause() const {
  resume_button->hide();
  resume_button->setEnabled(false);
  pause_button->show();
  pause_button->setEnabled(true);
}

void SmallPlayer::play() const {
  show_pause();
  show("playing.swf");
  send(std::string("open ") + file + " type waveaudio alias voice1");
  send("play voice1 from 0");
}

void SmallPlayer::pause() const {
  // "Resume" lies in front of "Pause": moved onto it, it covers it.
  resume_button->setGeometry(pause_button->geometry());
  resume_button->show();
  resume_button->setEnabled(true);
  show("paused.swf");
  send("pause voice1");
}

void SmallPlayer::resume() const {
  show_pause();
  send("resume voice1");
  show("resumed.swf");
}

void SmallPlayer::stop() const {
  show("stop.swf");
  stop_and_close();
}

void SmallPlayer::go_to_beginning() const {
  pause_button->setEnabled(false);
  stop_button->setEnabled(false);
  stop_and_close();
  show("begining_of_recorded_sound.swf");
}

void SmallPlayer::clear() const {
  stop_and_close();
  record_button->setEnabled(true);
  show("can_record_sound_again.swf");
}

}  // namespace wizard::playback
