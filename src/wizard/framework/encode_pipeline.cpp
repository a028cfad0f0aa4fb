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
#include "audio/speech/text_recording.h"
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

// The failure path: the progress page hides, the failure's own description is told and the
// page that encoded comes back.
void fail(const EncodeRoad& road, WizardPage& page, const std::string& description) {
  core::message_box(description);
  hold(road, page, false);
  wizard::page<Form5>().Hide();
  page.Show();
}

// A recording of a source page that holds no sound (none, an empty file, no sample) is refused
// and that page is shown, where a new one is made. The microphone page's loading starts a new
// recording; the speech page records its text again.
bool refuse_empty_recording(WizardPage& page) {
  const bool microphone = core::source_form == number(PageId::Microphone);
  const bool speech = core::source_form == number(PageId::Speech);
  // A speech recording of silent samples only is as empty as none: a voice given only marks
  // writes one.
  const bool empty = microphone ? encode_source::holds_no_sound(core::source_filename)
                                : speech && !text_recording::holds_sound(core::source_filename);
  if (!empty) return false;
  WizardPage* source_page = wizard::page(microphone ? PageId::Microphone : PageId::Speech);
  if (microphone) {
    core::message_box("Please insert Microphone--Press start recording to record");
    core::message_box("This error is due to :You have not recorded anything");
  } else {
    core::message_box(text_recording::kNoSoundToGoOn);
  }
  if (source_page) {
    page.Hide();
    source_page->Show();
  }
  return true;
}

// What refuses an Encode before any work is told at once over the page that encoded, which
// stays: a recording without sound, a save path that would destroy the chosen sound or cannot
// take a movie, a sound whose length alone is too long for a movie.
bool refuse_at_once(WizardPage& page, const std::string& target) {
  if (refuse_empty_recording(page)) return true;
  std::string refused = Module12::save_path_problem(core::source_filename, target);
  if (refused.empty()) {
    try {
      encode_source::check_length();
    } catch (const core::VbError& error) {
      refused = error.description();
    }
  }
  if (refused.empty()) return false;
  core::message_box(refused);
  return true;
}

// Composition failures told so far: the activation does not tell its loading's failure twice.
int composition_failures = 0;

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
  std::string failure;
  try {
    if (box->isChecked()) {
      Module53::compose_autoplay_style();
    } else {
      Module54::compose_plain_style();
    }
    return;
  } catch (const core::VbError& error) {
    failure = error.description();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  // The page goes on without the pieces (the build then names the one that is missing). The
  // loading made with the page, before it is shown, leaves the telling to the visit's own.
  if (!box->window()->isVisible()) return;
  ++composition_failures;
  core::message_box("The style could not be composed: " + failure);
}

void activate_encode_page(WizardPage& page, const QCheckBox* autoplay) {
  const int told = composition_failures;
  page.load();
  if (autoplay->isChecked() && told == composition_failures) compose_for_autoplay(autoplay);
}

std::string save_path_of(const QLineEdit* box) {
  const QString text = box->text();
  if (text.isEmpty() || !QDir::isRelativePath(text)) return text.toStdString();
  return core::drive_c_path(text.toStdString());
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
  // then shows it whole.
  auto* box = page.find<QLineEdit>(road.save_box);
  const std::string target = box ? save_path_of(box) : std::string();
  if (box && box->text().toStdString() != target) box->setText(QString::fromStdString(target));
  if (refuse_at_once(page, target)) return;
  // A file there that this wizard did not write is replaced only when the user says so, as the
  // save dialog asks.
  if (Module12::asks_before_replacing(core::source_filename, target)) {
    if (!core::question_box(target + " already exists.\nDo you want to replace it?")) return;
    Module12::own_save_path(target);
  }
  page.Hide();
  Form5::install_as_progress_page();
  wizard::page<Form5>().Show();
  hold(road, page, true);
  core::save_path = target;

  try {
    encode_source::build_movie(encoder);
  } catch (const core::VbError& error) {
    fail(road, page, error.description());
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
