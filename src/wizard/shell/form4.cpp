#include "wizard/shell/form4.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>
#include <filesystem>

#include "audio/codec/lame_encoder.h"
#include "audio/codec/mp3_info.h"
#include "audio/codec/wav_rate_probe.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "platform/flash/flash_control.h"
#include "wizard/shell/pages.h"

namespace wizard {

namespace {

PageRegistrar<Form4> registrar;

constexpr int kGallery = 2;
constexpr char kCrLf[] = "\r\n";

// The working MP3 that a chosen WAV file is encoded to.
std::string tmp_mp3() { return core::spd_path("twav/tmp.mp3"); }

// The encoder object, or the error of using one that was never made.
cLameEncoder& encoder(const std::unique_ptr<cLameEncoder>& object) {
  if (!object) throw core::VbError(91, core::exe_name(), "Object variable or With block variable not set");
  return *object;
}

}  // namespace

Form4::Form4() : WizardPage("Step-2", 10875, 7785, true) {
  ShockwaveFlash1 = new platform::flash::FlashControl(this);
  Picture1 = emblem(1455, 1695);
  Text1 = new QPlainTextEdit(this);
  place(Text1, 3840, 2880, 2535, 1335);
  Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Text1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  set_text(std::string(13, ' ') + "No File selected " + kCrLf);
  Command4 = button("< Back", 2400, 6360, 1815, 495);
  Command3 = button("Cancel", 6480, 6360, 1815, 495);
  Command2 = button("Next >", 4440, 6360, 1815, 495);
  Command1 = button("Open File", 3720, 2040, 2655, 615);
  ShockwaveFlash1->lower();
  stack({Picture1, Text1, Command4, Command3, Command2, Command1});
  setTabOrder(Command1, Text1);
  setTabOrder(Text1, Command4);
  setTabOrder(Command4, Command2);
  setTabOrder(Command2, Command3);

  connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form4::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Form4::Command4_Click);
}

Form4::~Form4() = default;

void Form4::Command1_Click() {
  core::yield();
  m_cEncoder = std::make_unique<cLameEncoder>();
  CommonDialog1.Filter = "mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav";
  CommonDialog1.ShowOpen(this);
  core::source_filename = CommonDialog1.FileName;

  const std::string& name = core::source_filename;
  const std::string extension = name.size() >= 3 ? name.substr(name.size() - 3) : name;
  if (extension == "mp3") core::source_type = "mp3";
  if (extension == "wav") core::source_type = "wav";

  if (core::source_type == "wav") {
    // From here every failure is passed over and the next step runs.
    core::ignore_errors([] {
      if (!std::filesystem::remove(tmp_mp3())) throw core::VbError(53, core::exe_name(), "File not found");
    });
    core::ignore_errors([] { Module5::kill_file(tmp_mp3()); });
    core::ignore_errors([] { core::source_sample_rate = Module35::wav_sample_rate(); });
    core::ignore_errors([this] { m_cEncoder = std::make_unique<cLameEncoder>(); });
    core::ignore_errors([this] { encoder(m_cEncoder).WavFile(core::source_filename); });
    core::ignore_errors([this] { encoder(m_cEncoder).Mp3File(tmp_mp3()); });
    core::ignore_errors([this] { encoder(m_cEncoder).Encode(); });
    core::source_filename = tmp_mp3();
    core::source_type = "mp3";
    core::ignore_errors([this] { show_information(tmp_mp3()); });
  } else if (core::source_type == "mp3") {
    show_information(core::source_filename);
  }
  Command2->setEnabled(!core::source_filename.empty());
}

void Form4::Command2_Click() {
  core::yield();
  // The gallery is the next step; without it the page stays.
  if (WizardPage* gallery = page(kGallery)) {
    Hide();
    gallery->Show();
  }
  core::rate_check_done = 0;
}

void Form4::Command3_Click() { end_process(); }

void Form4::Command4_Click() {
  Hide();
  page(8)->Show();
}

void Form4::Form_Load() {
  core::yield();
  ShockwaveFlash1->Height(Height());
  ShockwaveFlash1->Top(0);
  ShockwaveFlash1->Left(0);
  ShockwaveFlash1->Width(Width());
  ShockwaveFlash1->LoadMovie(0, core::spd_path("SWF/form4.swf"));
  core::source_filename.clear();
  core::source_type.clear();
  Command2->setEnabled(!core::source_filename.empty());
}

void Form4::Form_Activate() { load(); }

void Form4::show_information(const std::string& path) {
  const std::int32_t kbps = Module55::mp3_bitrate(path);
  const std::int32_t bits_per_second = kbps * 1000;
  std::string time;
  if (bits_per_second == 0) {
    // No bitrate (free format, no header): no play time can be worked out.
    time = kCrLf;
  } else {
    const double seconds = core::mp3_file_len / double(bits_per_second) * 8;
    time = Module55::format_duration(static_cast<std::int32_t>(std::nearbyint(seconds)));
  }
  set_text("File name: " + path + kCrLf + "File time: " + time +
           "File size:" + Module55::format_file_size(core::mp3_file_len));
}

void Form4::set_text(const std::string& text) {
  Text1->setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
}

std::string Form4::Text1_Text() const { return Text1->toPlainText().replace("\n", "\r\n").toStdString(); }

}  // namespace wizard
