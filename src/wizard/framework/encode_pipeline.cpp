#include "wizard/framework/encode_pipeline.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <exception>
#include <string>

#include "audio/codec/encode_source.h"
#include "audio/codec/lame_encoder.h"
#include "audio/codec/wav_rate_probe.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/autoplay.h"
#include "engine/files.h"
#include "engine/final_movie.h"
#include "wizard/framework/file_dialog.h"
#include "wizard/framework/page_registry.h"
#include "wizard/pages/progress.h"

namespace wizard {

namespace {

// Disables the button that the road holds while the work runs, or enables it again.
void hold(const EncodeRoad& road, WizardPage& page, bool held) {
  if (!road.held_button) return;
  if (auto* button = page.find<QPushButton>(road.held_button)) button->setEnabled(!held);
}

// The failure path: the user learns what went wrong and is shown where to act on it. Only a
// microphone source that has no recording to encode (none, or one without sound) gets the
// messages about recording and the microphone page, whose loading starts a new recording;
// every other failure, or one told `as_itself`, keeps the recording and names its own cause.
void fail(const EncodeRoad& road, WizardPage& page, const std::string& description, bool as_itself = false) {
  const bool no_recording = !as_itself && core::source_form == number(PageId::Microphone) &&
                            encode_source::holds_no_sound(core::source_filename);
  WizardPage* microphone = no_recording ? wizard::page(PageId::Microphone) : nullptr;
  if (microphone) {
    core::message_box("Please insert Microphone--Press start recording to record");
    core::message_box("This error is due to :You have not recorded anything");
  } else {
    core::message_box(description);
  }
  hold(road, page, false);
  wizard::page<Form5>().Hide();
  (microphone ? microphone : &page)->Show();
}

}  // namespace

void start_save_path(QLineEdit* box) {
  const std::string default_path = core::drive_c_path("MellixPlayer.swf");
  box->setText(QString::fromStdString(default_path));
  Module12::own_save_path(default_path);
}

std::optional<std::string> choose_save_path(CommonDialog& dialog, QLineEdit* box) {
  core::yield();
  dialog.Filter = "SWF Files(*.swf)|*.swf";
  if (!dialog.ShowSave(box->window())) return std::nullopt;
  const std::string name = dialog.FileName;
  Module12::own_save_path(name);
  box->setText(QString::fromStdString(name));
  return name;
}

void compose_for_autoplay(const QCheckBox* box) {
  if (box->isChecked()) {
    Module53::compose_autoplay_style();
  } else {
    Module54::compose_plain_style();
  }
}

void activate_encode_page(WizardPage& page, const QCheckBox* autoplay) {
  page.load();
  if (autoplay->isChecked()) Module53::compose_autoplay_style();
}

void make_encoder(std::unique_ptr<cLameEncoder>& encoder) {
  if (core::source_type == "wav")
    core::ignore_errors([] { core::source_sample_rate = Module35::wav_sample_rate(); });
  if (core::source_type == "wav" || core::source_type == "mp3")
    core::ignore_errors([&encoder] { encoder = std::make_unique<cLameEncoder>(); });
}

void run_encode(const EncodeRoad& road, WizardPage& page, std::unique_ptr<cLameEncoder>& encoder) {
  core::yield();
  // A path typed without its folder lies in the home folder, with the default path: the box
  // then shows it whole, and the code and the finish page follow it.
  auto* typed = page.find<QLineEdit>(road.save_box);
  if (typed && !typed->text().isEmpty() && QDir::isRelativePath(typed->text()))
    typed->setText(QString::fromStdString(core::drive_c_path(typed->text().toStdString())));
  // A file there that this wizard did not write is replaced only when the user says so, as the
  // save dialog asks.
  const std::string target = typed ? typed->text().toStdString() : std::string();
  if (Module12::asks_before_replacing(core::source_filename, target)) {
    if (!core::question_box(target + " already exists.\nDo you want to replace it?")) return;
    Module12::own_save_path(target);
  }
  page.Hide();
  Form5::install_as_progress_page();
  wizard::page<Form5>().Show();
  hold(road, page, true);
  const auto* box = page.find<QLineEdit>(road.save_box);
  core::save_path = box ? box->text().toStdString() : std::string();
  // A save path that would destroy the chosen sound, or cannot take a movie, is told at once.
  const std::string refused = Module12::save_path_problem(core::source_filename, core::save_path);
  if (!refused.empty()) {
    fail(road, page, refused, true);
    return;
  }

  try {
    encode_source::build_movie(encoder);
  } catch (const core::VbError& error) {
    fail(road, page, error.description(), error.number() == engine::kSoundTooLong);
    return;
  } catch (const std::exception& error) {
    fail(road, page, error.what());
    return;
  }

  // The movie is saved: on to the finish page.
  hold(road, page, false);
  if (road.clears_floating_sample) {
    Module5::kill_file(core::spd_path("web/test.htm"));
    Module5::kill_file(core::spd_path("web/test.txt"));
  }
  WizardPage* finish = wizard::page(PageId::Finish);
  core::step_code = static_cast<std::int16_t>(number(road.page));
  if (road.finish_before_hiding && finish) finish->Show();
  wizard::page<Form5>().Hide();
  if (!road.finish_before_hiding && finish) finish->Show();
}

}  // namespace wizard
