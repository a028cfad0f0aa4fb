// The fixed road's pages: the choice page, the fixed step 5 with its Encode, the finish page.

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>
#include <tuple>

#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "wizard/design/choice_page.h"
#include "wizard/design/finish_page.h"
#include "wizard/design/fixed_step5_page.h"
#include "wizard/shell/common_dialog.h"
#include "wizard/shell/progress_page.h"
#include "wizard_fixture.h"

namespace {

namespace fs = std::filesystem;
using testsupport::quote;
using wizard::Form12;
using wizard::Form14;
using wizard::Form3;
using wizard::page;

// The build's intermediate files and the style's working pieces.
const char* const kWorkFiles[] = {"sprite_top.dat", "sprite_mp3.dat", "mp3_data2.dat",
                                  "tp.spd",         "middle.spd",     "bottom.spd"};

// The microphone page comes with the microphone source; until then the failure path needs a
// page of that number to show.
struct MicrophoneStandIn : wizard::WizardPage {
  MicrophoneStandIn() : WizardPage("Step-2", 10875, 7785, true) {}
  int number() const override { return 9; }
};

class FixedRoadTest : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    core::sam_selected = {true, false, false, false, false, false};  // a wide style was picked
    core::button_type = 1;
    core::button_color = "FF0000";
    core::rate_check_done = 0;
    wizard::CommonDialog::set_chooser([this](const std::string&, bool) { return answer; });
  }
  void TearDown() override {
    wizard::CommonDialog::set_chooser({});
    PageTest::TearDown();
  }

  // Step 4 with "Fixed Button", then Next: the fixed step 5.
  Form14& fixed_step5() {
    Form3& choice = page<Form3>();
    choice.Show();
    choice.Option1->click();
    choice.Command2->click();
    qt_test::pump(50);
    return page<Form14>();
  }
  // `seconds` of a 440 Hz tone at `rate`: the WAV, or an MP3 of it made with `lame_options`.
  std::string sound(const std::string& name, const std::string& rate, const char* lame_options = nullptr,
                    const std::string& seconds = "1") {
    const std::string wav = dir.file(name + ".wav"), mp3 = dir.file(name + ".mp3");
    EXPECT_EQ(testsupport::run("sox -n -r " + rate + " -c 2 -b 16 " + quote(wav) + " synth " + seconds +
                               " sine 440"),
              0);
    if (!lame_options) return wav;
    EXPECT_EQ(
        testsupport::run(std::string("lame --quiet -b 128 ") + lame_options + quote(wav) + " " + quote(mp3)),
        0);
    return mp3;
  }
  static double probe(const std::string& path, const std::string& entry) {
    return std::stod(testsupport::capture("ffprobe -v error -select_streams a:0 -show_entries " + entry +
                                          " -of csv=p=0 " + quote(path)));
  }
  std::string code(Form14& step5) { return step5.Text1->toPlainText().toStdString(); }

  testsupport::TempDir dir;
  std::string answer;
};

TEST_F(FixedRoadTest, ChoicePageLeadsOnByTheOptionAndBackDropsTheWorkingFiles) {
  Form3& choice = page<Form3>();
  choice.Show();
  choice.Command2->click();
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Please select the option"});
  choice.Option2->click();  // the floating step 5 hides the page itself when it loads
  choice.Command2->click();
  EXPECT_EQ(core::step_code, 11);
  EXPECT_TRUE(!choice.isVisible() && page(wizard::PageId::FloatingStep5)->isVisible());
  fixed_step5();
  EXPECT_EQ(core::step_code, 14);
  EXPECT_TRUE(!choice.isVisible() && page<Form14>().isVisible());

  for (const char* file : kWorkFiles) testsupport::write_bytes(core::spd_path(file), "x");
  page<Form14>().Command1->click();  // back to the choice, whose option stays
  EXPECT_TRUE(choice.isVisible() && choice.Option1->isChecked());
  choice.Command1->click();
  EXPECT_EQ(core::step_code, 2);
  for (const char* file : kWorkFiles) EXPECT_FALSE(fs::exists(core::spd_path(file))) << file;
  EXPECT_EQ(boxes().texts().size(), 1u);
}

// The size boxes follow the kind of button; Accept takes a width up to 200, an empty one too.
TEST_F(FixedRoadTest, SizeBoxesFollowTheButtonAndAcceptTakesUpTo200) {
  Form14& step5 = fixed_step5();
  EXPECT_EQ(step5.Text2->text().toStdString(), core::drive_c_path("MellixPlayer.swf"));
  EXPECT_NE(code(step5).find("width=\"200\" height=\"73\""), std::string::npos);
  // (button type, width typed before the visit, the boxes at the visit)
  const std::tuple<std::int16_t, const char*, std::string, const char*> visits[] = {
      {2, "50", "90", "90"}, {2, "50", "90", "90"}, {1, "150", "200", "73"}, {1, "150", "150", "73"}};
  for (const auto& [type, typed, width, height] : visits) {
    step5.Text3->setText(typed);
    core::button_type = type;
    step5.Command1->click();
    fixed_step5();
    EXPECT_EQ(step5.Text3->text().toStdString() + "x" + step5.Text4->text().toStdString(),
              width + "x" + height);
    EXPECT_NE(code(step5).find("width=\"" + width + "\""), std::string::npos);
  }
  const std::pair<std::string, bool> accepts[] = {{"200", true}, {"201", false}, {"", true}};  // taken?
  step5.Text4->setText("60");
  for (const auto& [width, taken] : accepts) {
    const std::string before = code(step5);
    step5.Text3->setText(QString::fromStdString(width));
    step5.Command5->click();
    EXPECT_EQ(code(step5).find("width=\"" + width + "\" height=\"60\"") != std::string::npos, taken);
    EXPECT_EQ(code(step5) == before, !taken);
  }
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Please Choose less than 200"});
}

// The code follows the path box, typed or chosen; choosing deletes nothing; a cancelled dialog
// changes nothing; Copy Code copies the box with the user's edits.
TEST_F(FixedRoadTest, CodeFollowsThePathAndIsCopied) {
  Form14& step5 = fixed_step5();
  step5.Text2->setText("/srv/site/typed.swf");
  EXPECT_NE(code(step5).find("/srv/site/typed.swf"), std::string::npos);
  answer = dir.file("chosen.swf");
  testsupport::write_bytes(answer, "an earlier movie");
  step5.Command4->click();
  EXPECT_EQ(step5.Text2->text().toStdString(), answer);
  EXPECT_NE(code(step5).find(answer), std::string::npos);
  EXPECT_EQ(testsupport::read_bytes(answer), "an earlier movie");
  answer.clear();
  const std::string before = code(step5);
  step5.Command4->click();
  EXPECT_EQ(code(step5), before) << "the path box and the code stay";
  step5.Text1->appendPlainText("<!-- mine -->");
  step5.Command6->click();
  EXPECT_EQ(QApplication::clipboard()->text(), step5.Text1->toPlainText());
}

// Encode for every kind of source: the movie at the save path, the finish page, and what a
// second Encode (after the finish page's Back) does again.
TEST_F(FixedRoadTest, EncodeBringsEverySourceToAStreamableMp3) {
  const std::string temp = core::spd_path("twav/temp_wav.mp3");
  const struct {
    std::string source, type;
    int rate;                      // of the MP3 that the movie is built from
    bool via_temp, encodes_again;  // built from temp_wav.mp3; a second Encode writes it anew
  } rows[] = {{sound("tagged", "44100", "--add-id3v2 --tt Road "), "mp3", 44100, false, false},
              {sound("high", "48000", ""), "mp3", 22050, true, false},
              {sound("plain", "22050"), "wav", 22050, true, true}};
  for (const auto& row : rows) {
    core::source_filename = row.source;
    core::source_type = row.type;
    core::rate_check_done = 0;
    core::source_sample_rate = 11025;  // as a different source left it
    fs::remove(temp);
    Form14& step5 = fixed_step5();
    step5.Text2->setText(QString::fromStdString(dir.file("out.swf")));
    testsupport::write_bytes(core::spd_path("web/test.htm"), "floating sample");
    step5.Command2->click();
    Form12& finish = page<Form12>();
    ASSERT_TRUE(finish.isVisible()) << row.source;
    EXPECT_FALSE(step5.isVisible() || page<wizard::Form5>().isVisible());
    EXPECT_EQ(core::step_code, 14);
    EXPECT_EQ(testsupport::read_bytes(dir.file("out.swf")),
              testsupport::read_bytes(core::spd_path("final.swf")));
    EXPECT_FALSE(fs::exists(core::spd_path("web/test.htm")));
    EXPECT_EQ(core::source_filename, row.via_temp && row.type == "mp3" ? temp : row.source);
    ASSERT_EQ(fs::exists(temp), row.via_temp);
    const std::string built = row.via_temp ? temp : row.source;
    EXPECT_EQ(probe(built, "stream=sample_rate"), row.rate);
    EXPECT_NEAR(probe(built, "format=duration"), 1.0, 0.1) << "the source's pitch and length";
    // The finish page: the movie, its path, the fixed sample page pair.
    EXPECT_EQ(finish.Text1->toPlainText().toStdString(), dir.file("out.swf"));
    EXPECT_EQ(finish.ShockwaveFlash2->movie(), core::spd_path("final.swf"));
    const std::string sample = testsupport::read_bytes(core::spd_path("web/test_fixed.htm"));
    EXPECT_NE(sample.find(dir.file("out.swf")), std::string::npos);
    EXPECT_EQ(sample, testsupport::read_bytes(core::spd_path("web/test_fixed.txt")));

    const auto first = row.via_temp ? fs::last_write_time(temp) : fs::file_time_type{};
    finish.Command1->click();
    EXPECT_FALSE(fs::exists(core::spd_path("final.swf")));
    ASSERT_TRUE(step5.isVisible());
    step5.Command2->click();
    ASSERT_TRUE(finish.isVisible());
    EXPECT_EQ(row.via_temp && fs::last_write_time(temp) != first, row.encodes_again) << row.source;
    finish.Command2->click();
    EXPECT_EQ(ended, 1);
    ended = 0;
    wizard::unload_pages();
  }
  EXPECT_TRUE(boxes().texts().empty());
}

// Closing the progress page during a long re-encode acts at once, with the save path as it was.
TEST_F(FixedRoadTest, ClosingTheProgressPageDuringALongReEncodeActsAtOnce) {
  core::source_filename = sound("long", "48000", "", "60");
  core::source_type = "mp3";
  Form14& step5 = fixed_step5();
  const std::string save = dir.file("kept.swf"), temp = core::spd_path("twav/temp_wav.mp3");
  testsupport::write_bytes(save, "the earlier movie");
  step5.Text2->setText(QString::fromStdString(save));
  std::string held = "not closed";
  wizard::set_end_process_hook([&] { held = fs::exists(temp) ? "late" : testsupport::read_bytes(save); });
  QTimer::singleShot(100, &page<wizard::Form5>(), &QWidget::close);
  step5.Command2->click();
  EXPECT_EQ(held, "the earlier movie");
}

// A failed Encode says what went wrong, leaves the earlier movie at the save path, and shows
// the page that encoded (keeping a recording); only a missing recording gets the microphone page.
TEST_F(FixedRoadTest, AFailedEncodeKeepsTheEarlierMovieAndShowsWhereToAct) {
  const bool stand_in = !wizard::page(wizard::PageId::Microphone);
  if (stand_in) wizard::register_page(9, [] { return std::make_unique<MicrophoneStandIn>(); });
  testsupport::write_bytes(dir.file("silence.mp3"), std::string(4000, '\0'));
  const std::string high = sound("high", "48000", ""), recording = core::spd_path("wvtemp/microphone.wav");
  const std::vector<std::string> no_recording = {"Please insert Microphone--Press start recording to record",
                                                 "This error is due to :You have not recorded anything"};
  const struct {
    std::string source, type;
    std::int16_t form;
    std::vector<std::string> messages;
    bool breaks_twav, over_source,
        loses_piece;  // no decoded WAV to read; saving over the source; no bottom.spd
  } rows[] = {
      {dir.file("silence.mp3"), "mp3", 4, {"ERROR in file opening", ""}, false, false, false},  // and why
      {high, "mp3", 4, {"File not found"}, true, false, false},
      {high, "mp3", 4, {"The save path " + high + " is the source sound itself"}, false, true, false},
      {dir.file("none.wav"), "wav", 9, no_recording, false, false, false},
      {recording, "wav", 9, {"File not found: " + core::spd_path("bottom.spd")}, false, false, true}};
  for (const auto& row : rows) {
    core::source_filename = row.source;
    core::source_type = row.type;
    core::source_form = row.form;
    core::rate_check_done = 0;
    core::step_code = 0;
    Form14& step5 = fixed_step5();
    const std::string save = row.over_source ? row.source : dir.file("kept.swf");
    if (!row.over_source) testsupport::write_bytes(save, "the earlier movie");
    const std::string earlier = testsupport::read_bytes(save);
    step5.Text2->setText(QString::fromStdString(save));
    if (row.breaks_twav)
      fs::remove_all(core::spd_path("twav")), testsupport::write_bytes(core::spd_path("twav"), "");
    if (row.loses_piece) fs::rename(core::spd_path("bottom.spd"), dir.file("bottom.spd"));
    if (row.source == recording)
      fs::copy_file(sound("recorded", "22050"), recording, fs::copy_options::overwrite_existing);
    const std::size_t shown = boxes().texts().size();
    step5.Command2->click();
    const auto texts = boxes().texts();
    ASSERT_EQ(texts.size(), shown + row.messages.size()) << row.source;
    for (std::size_t i = 0; i < row.messages.size(); ++i)
      EXPECT_EQ(texts[shown + i].rfind(row.messages[i], 0), 0u) << texts[shown + i];
    EXPECT_EQ(testsupport::read_bytes(save), earlier);
    EXPECT_FALSE(page<Form12>().isVisible() || page<wizard::Form5>().isVisible());
    EXPECT_EQ(core::step_code, 14) << "set by the choice page, not by a completed Encode";
    EXPECT_EQ(core::source_filename, row.source);
    EXPECT_EQ(core::rate_check_done, 0) << "a source whose check or conversion failed is checked again";
    EXPECT_TRUE(row.messages == no_recording ? wizard::page(wizard::PageId::Microphone)->isVisible()
                                             : step5.isVisible());
    EXPECT_EQ(fs::exists(recording), row.source == recording) << "a recording is kept";
    if (row.breaks_twav) fs::remove(core::spd_path("twav")), fs::create_directories(core::spd_path("twav"));
    if (row.loses_piece) fs::rename(dir.file("bottom.spd"), core::spd_path("bottom.spd"));
  }
  if (stand_in) {
    wizard::unload_pages();
    wizard::register_page(9, {});
  }
}

}  // namespace
