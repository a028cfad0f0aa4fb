#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/speech/text_grab.h"
#include "audio/speech/text_recording.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step2_speech.h"

class QComboBox;
class QTimer;

namespace sapi {
class SpFileStream;
class SpVoice;
}  // namespace sapi

namespace wizard {

/// Step 2 for speech: the user picks a voice, may test it, fetches the text selected in
/// another program's window and has the voice speak it into spd/wvtemp/text.wav, listens to
/// the recording, and goes on with it as a WAV source.
class Form10 : public WizardPage, public Module46::GrabPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::Speech);
  static constexpr ControlTable kControls = tables::kSpeechSource;
  Form10();
  ~Form10() override;
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Form_Activate() override;
  void Option1_Click();
  void Option2_Click();
  void Combo2_Click();
  void Combo3_Click();
  void Combo4_Click() {}
  void Command11_Click();  // "Sound Format Settings"
  void Command8_Click();   // "Test Voice"
  void Command9_Click();   // "Stop Testing"
  void Voice_EndStream(int StreamNumber, qint64 StreamPosition);
  void rate_slider_changed();
  void volume_slider_changed();
  void Command14_Click();  // "Get Selected Text"
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void Timer4_Timer();
  void Command1_Click();   // "Start Recording Text"
  void Command3_Click();   // "Play"
  void Command4_Click();   // "Pause"
  void Command10_Click();  // "Resume"
  void Command5_Click();   // "Stop"
  void Command6_Click();   // "GoTo Begining"
  void Command7_Click();   // "Clear"
  void Command12_Click();  // "Next >"
  void Command2_Click();   // "< Back"
  void Command13_Click();  // "Cancel"

  // What the text grab drives.
  void set_Timer1_Enabled(bool enabled) override;
  void set_Timer2_Enabled(bool enabled) override;
  void set_Timer3_Enabled(bool enabled) override;
  void set_Text1(const std::string& text) override;
  void set_Text2(const std::string& text) override;
  void set_Text3(const std::string& text) override;
  void set_Text4(const std::string& text) override;

  WIZARD_CONTROLS(Picture1, Command13, Command12, Command2, ShockwaveFlash4, Option1, Combo2, Option2, Combo3,
                  Command8, Command9, Command11, Combo4, rate_slider, volume_slider, Command14,
                  ShockwaveFlash2, Text1, Text2, Text3, Text4, Command1, Command3, Command10, Command4,
                  Command5, Command6, Command7, ShockwaveFlash1)
  QTimer* Timer1;  // foreground-window tracking, 2 ms
  QTimer* Timer2;  // notes the page's own title once, 1 ms
  QTimer* Timer3;  // waits for the selected text, 1 ms
  QTimer* Timer4;  // unlocks "Start Recording Text" once text has arrived, 1 ms

  std::unique_ptr<sapi::SpVoice> Voice;
  std::shared_ptr<sapi::SpFileStream> FileStream;
  std::string test_sentence;
  std::int32_t voice_index_sam = 0;
  std::int32_t voice_index_michael = 0;
  std::int32_t voice_index_michelle = 0;
  std::int32_t voice_index_mary = 0;
  std::int32_t voice_index_mike = 0;
  std::int32_t voice_index_john = 0;
  std::int32_t voice_index_laura = 0;
  std::int32_t voice_index_paul = 0;
  std::int32_t voice_index_kate = 0;

  /// True only during the loading that fills the voice lists.
  static inline bool voice_lists_pending = false;
  /// True while no test speech runs.
  static inline bool voice_test_idle = true;

 private:
  class ComboList;

  /// What a grab under way may change, as the page had it before "Get Selected Text".
  struct BeforeGrab {
    std::string grabbed_text;
    QString box;                          // Text1
    bool unlocking = true;                // Timer4 was running
    std::optional<QString> written = {};  // what the grab put into Text1 since
  };

  std::int32_t& index_member(int slot);
  sapi::SpFileStream& file_stream();
  void apply_format(std::int32_t format);
  void restore_format(std::int32_t format);
  void select_voice(std::int32_t index);
  void pick_voice(QComboBox* combo, tables::VoiceList list, std::int32_t format);
  void enable_after_text_recording();
  void speak_into_file(const std::string& text);
  void status(const char* movie);
  void hint(const char* movie);
  void connect_voice();
  const tables::KnownVoice& shown_voice(const QComboBox* combo, tables::VoiceList list) const;
  void end_grab(bool tell);
  std::string no_sound_message(text_recording::Kind kind, const std::string& text) const;

  std::array<std::unique_ptr<ComboList>, 3> lists_;
  std::optional<BeforeGrab> grab_;  // set while a grab waits for its text
  std::string grab_from_;           // the title of the window the grab reads from
  QElapsedTimer grab_clock_;        // since "Get Selected Text" was last pressed
};

}  // namespace wizard
