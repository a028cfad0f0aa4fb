#include "wizard/pages/step2_speech.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <utility>

#include "audio/speech/speech_lists.h"
#include "audio/speech/text_recording.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "platform/speech/sp_voice.h"
#include "platform/x11/x11_window_functions.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/small_player.h"
#include "wizard/pages/test_form.h"

namespace wizard {

namespace {

PageRegistrar<Form10> registrar;

using tables::kKnownVoices;
using tables::KnownVoice;
using tables::VoiceList;

// The window functions of the display the program runs on, for the text grab.
platform::X11WindowFunctions& window_functions() {
  static platform::X11WindowFunctions functions;
  return functions;
}

const KnownVoice* known_voice(const std::string& text, VoiceList list, bool by_description) {
  for (const KnownVoice& voice : kKnownVoices) {
    if (voice.list == list && text == (by_description ? voice.description : voice.shown_as)) return &voice;
  }
  return nullptr;
}

// A handler that ends quietly at its first error: the steps before it stay done.
template <class Steps>
void until_error(Steps&& steps) {
  try {
    steps();
  } catch (const std::exception&) {
  }
}

// The page's timers are asked for 2 and 1 ms and tick at the timer clock's resolution, here a
// display frame: what they watch (the window in front, the selection, the text that arrived)
// changes no faster for a user, and a tick every millisecond, which goes on on every later
// page, kept the program's thread busy for 4 % of a core there.
constexpr int kTimerResolutionMs = 16;

// How long a grab waits for the other window's selection. A window that has nothing selected,
// or that has been closed, never offers one; a selection made meanwhile (a drag ends at the
// button's release) is still taken, and a busy program answers within a second.
constexpr qint64 kGrabWaitMs = 3000;

std::string nothing_fetched_message(const std::string& title) {
  const std::string again = "Select the text, then press \"Get Selected Text\" again.";
  if (title.empty())
    return "No text was fetched: no other window has been used since this page was shown.\n" + again;
  return "No text was fetched from \"" + title +
         "\": nothing is selected there, or the window has been closed.\n" + again;
}

// The page's small player over its own buttons, playing the copy of the recording.
playback::SmallPlayer player(Form10& form) {
  return {.status = *form.ShockwaveFlash4,
          .record_button = form.Command1,
          .pause_button = form.Command4,
          .resume_button = form.Command10,
          .stop_button = form.Command5,
          .file = text_recording::kPlayerCopy};
}

// Clears both options of a group without running their click behaviour.
void clear_options(QRadioButton* a, QRadioButton* b) {
  for (QRadioButton* option : {a, b}) {
    const QSignalBlocker quiet(option);
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
  }
}

}  // namespace

// A combo box of the page as the list fillers use it.
class Form10::ComboList : public Module32::ComboBox {
 public:
  explicit ComboList(QComboBox* combo) : combo_(combo) {}
  void AddItem(const std::string& item, int index) override {
    combo_->insertItem(index, QString::fromStdString(item));
  }
  void AddItem(const std::string& item) override { combo_->addItem(QString::fromStdString(item)); }
  int ListCount() const override { return combo_->count(); }
  void set_ItemData(int row, std::int32_t data) override { combo_->setItemData(row, data); }

 private:
  QComboBox* combo_;
};

Form10::Form10() : WizardPage("Step-2", 10875, 7785, true, kControls) {
  // The combo boxes show their initial text until an entry is picked.
  for (const auto& [combo, text] :
       {std::pair{Combo2, "Microsoft Sam"}, {Combo3, "John"}, {Combo4, "Sound Formats"}})
    combo->setPlaceholderText(text);
  rate_slider->setRange(-10, 10);
  rate_slider->setValue(0);
  volume_slider->setRange(0, 100);
  volume_slider->setValue(100);

  const auto timer = [this](int interval_ms) {
    auto* made = new QTimer(this);
    made->setInterval(std::max(interval_ms, kTimerResolutionMs));
    return made;
  };
  Timer1 = timer(2);
  Timer2 = timer(1);
  Timer3 = timer(1);
  Timer4 = timer(1);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
  connect(Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
  connect(Timer3, &QTimer::timeout, this, [this] { Timer3_Timer(); });
  connect(Timer4, &QTimer::timeout, this, [this] { Timer4_Timer(); });
  Timer4->start();

  lists_ = {std::make_unique<ComboList>(Combo2), std::make_unique<ComboList>(Combo3),
            std::make_unique<ComboList>(Combo4)};
  Module32::set_lists({lists_[0].get(), lists_[1].get(), lists_[2].get()});
  Module46::set_page(this);
  Module46::set_window_functions(&window_functions());

  on_click(Option1, &Form10::Option1_Click);
  on_click(Option2, &Form10::Option2_Click);
  connect(Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });
  connect(Combo3, &QComboBox::activated, this, [this] { Combo3_Click(); });
  connect(Combo4, &QComboBox::activated, this, [this] { Combo4_Click(); });
  // The voice follows a slider while it is dragged.
  connect(rate_slider, &QSlider::valueChanged, this, [this] { rate_slider_changed(); });
  connect(volume_slider, &QSlider::valueChanged, this, [this] { volume_slider_changed(); });
  on_click(Command11, &Form10::Command11_Click);
  on_click(Command8, &Form10::Command8_Click);
  on_click(Command9, &Form10::Command9_Click);
  on_click(Command14, &Form10::Command14_Click);
  on_click(Command1, &Form10::Command1_Click);
  on_click(Command3, &Form10::Command3_Click);
  on_click(Command4, &Form10::Command4_Click);
  on_click(Command10, &Form10::Command10_Click);
  on_click(Command5, &Form10::Command5_Click);
  on_click(Command6, &Form10::Command6_Click);
  on_click(Command7, &Form10::Command7_Click);
  on_click(Command12, &Form10::Command12_Click);
  on_click(Command2, &Form10::Command2_Click);
  on_click(Command13, &Form10::Command13_Click);
}

Form10::~Form10() {
  Module46::set_page(nullptr);
  Module32::set_lists({});
}

std::int32_t& Form10::index_member(int slot) {
  std::array<std::int32_t*, tables::kVoiceSlots> members = {
      &voice_index_sam,  &voice_index_michael, &voice_index_michelle, &voice_index_mary, &voice_index_mike,
      &voice_index_john, &voice_index_laura,   &voice_index_paul,     &voice_index_kate};
  return *members.at(static_cast<std::size_t>(slot));
}

sapi::SpFileStream& Form10::file_stream() {
  if (!FileStream) FileStream = std::make_shared<sapi::SpFileStream>();
  return *FileStream;
}

void Form10::status(const char* movie) {
  ShockwaveFlash4->LoadMovie(0, core::spd_path(std::string("SWF/") + movie));
}

void Form10::hint(const char* movie) {
  ShockwaveFlash2->LoadMovie(0, core::spd_path(std::string("SWF/") + movie));
}

void Form10::connect_voice() {
  connect(Voice.get(), &sapi::SpVoice::EndStream, this,
          [this](int number, qint64 position) { Voice_EndStream(number, position); });
}

// Form_Load

void Form10::Form_Load() {
  core::yield();
  clear_options(Option1, Option2);

  Command1->setEnabled(!core::grabbed_text.empty());
  Combo4->hide();
  Combo4->setEnabled(false);
  Command7->setEnabled(true);
  for (QPushButton* button : {Command3, Command4, Command5, Command6}) button->setEnabled(false);
  for (QPushButton* button : {Command3, Command4, Command5}) button->show();
  Command10->hide();
  Command14->setEnabled(true);
  Command12->setEnabled(false);
  Command9->hide();
  Command9->setEnabled(false);
  ShockwaveFlash2->hide();

  if (core::voice_lists_filled == 0) {
    voice_lists_pending = true;
    core::voice_lists_filled = 1;
  }
  backdrop(*ShockwaveFlash1, page<Form1>(), "SWF/form10.swf");
  status("select_voice.swf");
  voice_test_idle = true;
  core::default_voice_count = 0;
  core::natural_voice_count = 0;

  Voice = std::make_unique<sapi::SpVoice>();
  connect_voice();
  // The new voice speaks at the rate and the volume the sliders show.
  rate_slider_changed();
  volume_slider_changed();

  // The voices the page knows, by their position among all installed voices.
  std::int32_t i = 0;
  for (const auto& token : Voice->GetVoices()) {
    const std::string description = token.GetDescription(0);
    if (voice_lists_pending) {
      if (const KnownVoice* voice = known_voice(description, VoiceList::standard, true)) {
        Module32::add_default_voice(description);
        index_member(voice->slot) = i;
      } else if (description != tables::kUnlistedStandardVoice) {
        if (const KnownVoice* natural = known_voice(description, VoiceList::natural, true)) {
          Module32::add_natural_voice(natural->shown_as);
          index_member(natural->slot) = i;
        }
      }
    }
    ++i;
  }

  Voice->setAllowAudioOutputFormatChangesOnNextSet(false);
  Voice->AudioOutputStream()->Format().setType(tables::kStandardFormat);
  Voice->setAudioOutputStream(Voice->AudioOutputStream());

  Module32::fill_sound_formats();
  if (page_exists(wizard::number(PageId::StepOne))) page(PageId::StepOne)->Hide();
  Timer2->start();
  voice_lists_pending = false;
}

void Form10::Form_Activate() { load(); }

// Voice kind and voice

void Form10::apply_format(std::int32_t format) {
  Voice->setAllowAudioOutputFormatChangesOnNextSet(false);
  Voice->AudioOutputStream()->Format().setType(format);
  Voice->setAudioOutputStream(Voice->AudioOutputStream());
  file_stream().Format().setType(format);
}

void Form10::select_voice(std::int32_t index) { Voice->setVoice(Voice->GetVoices().Item(index)); }

// The voice a list shows: the one picked in it, or the one its initial text names.
const KnownVoice& Form10::shown_voice(const QComboBox* combo, VoiceList list) const {
  const QString text = combo->currentIndex() < 0 ? combo->placeholderText() : combo->currentText();
  if (const KnownVoice* voice = known_voice(text.toStdString(), list, false)) return *voice;
  return *known_voice(list == VoiceList::standard ? "Microsoft Sam" : "John", list, false);
}

void Form10::Option1_Click() {
  core::yield();
  until_error([this] {
    status("default_voice_selected.swf");
    apply_format(tables::kStandardFormat);
    const KnownVoice& voice = shown_voice(Combo2, VoiceList::standard);
    select_voice(index_member(voice.slot));
    test_sentence = voice.test_sentence;
    Command14->setEnabled(true);
    ShockwaveFlash2->show();
    hint("select_text.swf");
  });
}

void Form10::Option2_Click() {
  core::yield();
  until_error([this] {
    status("natural_voice_selected.swf");
    apply_format(tables::kNaturalFormat);
    const KnownVoice& voice = shown_voice(Combo3, VoiceList::natural);
    select_voice(index_member(voice.slot));
    test_sentence = voice.test_sentence;
    Command14->setEnabled(true);
    ShockwaveFlash2->show();
    hint("select_text.swf");
  });
}

void Form10::pick_voice(QComboBox* combo, VoiceList list, std::int32_t format) {
  core::yield();
  until_error([&] {
    // Choosing the kind runs its own click behaviour first when it was not chosen before.
    QRadioButton* kind = list == VoiceList::standard ? Option1 : Option2;
    // The other kind is cleared by the group.
    kind->setChecked(true);
    const KnownVoice* voice = known_voice(combo->currentText().toStdString(), list, false);
    if (!voice) return;
    apply_format(format);
    select_voice(index_member(voice->slot));
    test_sentence = voice->test_sentence;
  });
}

void Form10::Combo2_Click() { pick_voice(Combo2, VoiceList::standard, tables::kStandardFormat); }
void Form10::Combo3_Click() { pick_voice(Combo3, VoiceList::natural, tables::kNaturalFormat); }

void Form10::restore_format(std::int32_t format) {
  Voice->AudioOutputStream()->Format().setType(format);
  Voice->setAudioOutputStream(Voice->AudioOutputStream());
  file_stream().Format().setType(format);
}

void Form10::Command11_Click() {
  core::yield();
  if (Combo4->isVisible()) {
    Combo4->hide();
    if (Option1->isChecked()) restore_format(tables::kStandardFormat);
    if (Option2->isChecked()) restore_format(tables::kNaturalFormat);
  } else {
    Combo4->show();
  }
}

// Test speech

void Form10::Command8_Click() {
  core::yield();
  if (!Option1->isChecked() && !Option2->isChecked()) {
    core::message_box("Please selcet the Voice First");
    return;
  }
  if (!voice_test_idle) return;
  until_error([this] {
    Command8->setEnabled(false);
    Command8->hide();
    Command9->setGeometry(Command8->geometry());
    Command9->setEnabled(true);
    Command9->show();
    voice_test_idle = false;
    Voice->Speak(test_sentence, sapi::SVSFlagsAsync);
  });
}

void Form10::Command9_Click() {
  core::yield();
  if (voice_test_idle) return;
  Command8->show();
  Command8->setEnabled(true);
  Command9->setEnabled(false);
  Command9->hide();
  voice_test_idle = true;
  until_error([this] { Voice->Speak("", sapi::SVSFPurgeBeforeSpeak); });
}

void Form10::Voice_EndStream(int, qint64) {
  Command8->show();
  Command8->setEnabled(true);
  Command9->hide();
  Command9->setEnabled(false);
  voice_test_idle = true;
}

void Form10::rate_slider_changed() {
  if (Voice) Voice->setRate(static_cast<std::int32_t>(rate_slider->value()));
}

void Form10::volume_slider_changed() {
  if (Voice) Voice->setVolume(static_cast<std::int32_t>(volume_slider->value()));
}

// The text grab

void Form10::Command14_Click() {
  core::yield();
  // A grab asked for again while it waits still returns to the page before the first.
  if (!grab_) grab_ = BeforeGrab{core::grabbed_text, Text1->toPlainText(), Timer4->isActive()};
  // Until the new text is there, the old one unlocks nothing.
  core::grabbed_text.clear();
  grab_from_ = core::target_title;
  grab_clock_.start();
  Timer4->start();
  Timer3->start();
}

void Form10::Timer1_Timer() { Module46::track_foreground_window(); }

void Form10::Timer2_Timer() {
  core::own_title_pending = true;
  Module46::note_own_window();
  set_Text2(core::own_title);
}

void Form10::Timer3_Timer() {
  core::grabbed_text.clear();
  Module46::read_selected_text();
  if (!grab_) return;
  // The selection has arrived (the polling stopped), or none has come in time.
  const bool arrived = !Timer3->isActive();
  if (arrived && !core::grabbed_text.empty()) {
    grab_.reset();
  } else if (arrived || grab_clock_.elapsed() > kGrabWaitMs) {
    end_grab(true);
  }
}

// Ends a grab under way that has fetched no text: the polling stops and the page returns to
// what it had before the grab. `tell` says so to the user.
void Form10::end_grab(bool tell) {
  if (!grab_) return;
  Timer3->stop();
  const BeforeGrab before = *std::exchange(grab_, std::nullopt);
  core::grabbed_text = before.grabbed_text;
  // Only what the grab wrote is undone: words the user typed meanwhile stay.
  if (before.written && *before.written != before.box && Text1->toPlainText() == *before.written)
    Text1->setPlainText(before.box);
  if (!before.unlocking) Timer4->stop();
  if (tell) core::message_box(nothing_fetched_message(grab_from_));
}

void Form10::Timer4_Timer() {
  if (core::grabbed_text.empty() || !Command7->isEnabled()) return;
  Command1->setEnabled(true);
  // The hint plays on: loading it again at every tick would restart it before it shows.
  const std::string movie = core::spd_path("SWF/start_recording.swf");
  if (ShockwaveFlash2->movie() != movie) ShockwaveFlash2->LoadMovie(0, movie);
}

void Form10::set_Timer1_Enabled(bool enabled) { enabled ? Timer1->start() : Timer1->stop(); }
void Form10::set_Timer2_Enabled(bool enabled) { enabled ? Timer2->start() : Timer2->stop(); }
void Form10::set_Timer3_Enabled(bool enabled) { enabled ? Timer3->start() : Timer3->stop(); }
void Form10::set_Text1(const std::string& text) {
  Text1->setPlainText(QString::fromUtf8(text));
  if (grab_) grab_->written = Text1->toPlainText();
}
void Form10::set_Text2(const std::string& text) { Text2->setText(QString::fromUtf8(text)); }
void Form10::set_Text3(const std::string& text) { Text3->setText(QString::fromUtf8(text)); }
void Form10::set_Text4(const std::string& text) { Text4->setText(QString::fromUtf8(text)); }

// Start Recording Text

void Form10::speak_into_file(const std::string& text) {
  // The speech is written on the voice's own thread; the page waits for its end but keeps
  // repainting (the status movie plays on) and takes no input meanwhile.
  QPointer<sapi::SpVoice> voice(Voice.get());
  const std::int32_t stream = Voice->Speak(text, sapi::SVSFlagsAsync);
  QEventLoop wait;
  connect(voice, &sapi::SpVoice::EndStream, &wait, [&](int number) {
    if (number == stream) wait.quit();
  });
  connect(voice, &QObject::destroyed, &wait, &QEventLoop::quit);
  wait.exec(QEventLoop::ExcludeUserInputEvents);
}

void Form10::Command1_Click() {
  core::yield();
  // What the box shows is spoken, fetched or typed; a grab still waiting is given up.
  end_grab(false);
  Command14->setEnabled(false);
  using text_recording::Kind;
  const Kind kind = Option1->isChecked() ? Kind::standard : Option2->isChecked() ? Kind::natural : Kind::none;
  if (kind != Kind::none) {
    status("recording_text_animated.swf");
    for (QWidget* control : std::initializer_list<QWidget*>{Option1, Option2, Combo2, Combo3, Command1,
                                                            Command3, Command4, Command5, Command6, Command7})
      control->setEnabled(false);
  }
  // The kind decides the format; a row of the format list only when one has been picked.
  const int row = Combo4->currentIndex();
  if (Combo4->isHidden() || row < 0) {
    if (kind == Kind::standard) file_stream().Format().setType(tables::kStandardFormat);
    if (kind == Kind::natural) file_stream().Format().setType(tables::kNaturalFormat);
  } else {
    core::ignore_errors([&] { file_stream().Format().setType(Combo4->itemData(row).toInt()); });
  }
  file_stream();  // a stream whose format no kind has set yet
  const std::string text = text_recording::text_to_speak(kind, Text1->toPlainText().toStdString());
  text_recording::record(
      FileStream, text,
      {[this](std::shared_ptr<sapi::SpBaseStream> to) { Voice->setAudioOutputStream(std::move(to)); },
       [this](const std::string& spoken) { speak_into_file(spoken); }});
  FileStream.reset();

  const bool sound = text_recording::holds_sound(text_recording::recording_path());
  status(sound ? "recording_text_complete.swf" : "can_record_sound_again.swf");
  enable_after_text_recording();
  Command12->setEnabled(true);
  hint("blank2.swf");
  Timer4->stop();
  Command14->setEnabled(true);
  // A recording without sound is no source: the user learns why at once.
  if (!sound) core::message_box(no_sound_message(kind, text));
}

std::string Form10::no_sound_message(text_recording::Kind kind, const std::string& text) const {
  const std::string again = ", then press \"Start Recording Text\" again.";
  std::string cause;
  if (kind == text_recording::Kind::none) {
    cause = "no voice is chosen.\nChoose \"Default Voice\" or \"Natural Voice\"" + again;
  } else if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    cause =
        "the box holds no text to speak.\nFetch the text with \"Get Selected Text\" or type it in the box" +
        again;
  } else if (volume_slider->value() == 0) {
    cause = "the volume is at 0.\nMove the volume slider up" + again;
  } else if (!std::filesystem::exists(text_recording::recording_path())) {
    cause = "the recording cannot be written to " + text_recording::recording_path() + ".";
  } else {
    cause = "the text in the box gives no speech.\nPut words to speak in the box" + again;
  }
  return "Nothing was recorded: " + cause;
}

void Form10::enable_after_text_recording() {
  for (QWidget* control : std::initializer_list<QWidget*>{Command1, Command3, Command6, Command7, Option1,
                                                          Option2, Combo2, Combo3})
    control->setEnabled(true);
  Command4->setEnabled(false);
  Command5->setEnabled(false);
}

// Playback of c:\text.wav

void Form10::Command3_Click() {
  core::yield();
  for (QPushButton* button : {Command3, Command4, Command5}) button->setEnabled(true);
  for (QPushButton* button : {Command1, Command6, Command7}) button->setEnabled(false);
  player(*this).play();
}

void Form10::Command4_Click() {
  core::yield();
  Command4->setEnabled(false);
  Command4->hide();
  player(*this).pause();
}

void Form10::Command10_Click() {
  core::yield();
  player(*this).resume();
}

void Form10::Command5_Click() {
  core::yield();
  Command1->setEnabled(false);
  for (QPushButton* button : {Command3, Command5, Command6, Command7}) button->setEnabled(true);
  player(*this).show_pause();
  player(*this).stop();
}

void Form10::Command6_Click() {
  core::yield();
  player(*this).go_to_beginning();
}

void Form10::Command7_Click() {
  core::yield();
  player(*this).clear();
}

// Leaving the page

void Form10::Command12_Click() {
  core::yield();
  // A recording without sound is never handed on: the movie would be silent.
  if (!text_recording::holds_sound(text_recording::recording_path())) {
    core::message_box(text_recording::kNoSoundToGoOn);
    return;
  }
  end_grab(false);
  core::source_filename = text_recording::recording_path();
  core::source_type = "wav";
  core::grabbed_text.clear();
  go_to(PageId::Gallery);
  core::step_code = static_cast<std::int16_t>(kNumber);
  playback::stop_and_close();
}

void Form10::Command2_Click() {
  end_grab(false);
  go_to(PageId::StepOne);
}

void Form10::Command13_Click() { end_process(); }

}  // namespace wizard
