// The fixed road's pages: the choice page, the fixed step 5 with its Encode, the finish page.

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <tuple>

#include "audio/speech/text_recording.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "core/wave_header.h"
#include "platform/flash/flash_control.h"
#include "support/audio_files.h"
#include "wizard/framework/file_dialog.h"
#include "wizard/framework/picture_box.h"
#include "wizard/framework/startup.h"
#include "wizard/pages/finish.h"
#include "wizard/pages/progress.h"
#include "wizard/pages/step4_choice.h"
#include "wizard/pages/step5_fixed.h"
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
  std::string sound(const std::string& name, int rate, const char* lame_options = nullptr,
                    double seconds = 1) {
    const std::string wav = testsupport::sox_tone(dir.file(name + ".wav"), rate, 2, 16, seconds, "sine 440");
    if (lame_options)
      testsupport::must_run(std::string("lame --quiet -b 128 ") + lame_options + quote(wav) + " " +
                            quote(dir.file(name + ".mp3")));
    return lame_options ? dir.file(name + ".mp3") : wav;
  }
  static double probe(const std::string& path, const std::string& entry) {
    return std::stod(testsupport::capture("ffprobe -v error -select_streams a:0 -show_entries " + entry +
                                          " -of csv=p=0 " + quote(path)));
  }
  std::string code(Form14& step5) { return step5.Text1->toPlainText().toStdString(); }
  // An Encode, ended once the part file `part` comes (the build: once its bar shows); with no
  // source, the save dialog, ended once it is open.
  struct Work {
    const char* work;
    std::string source, type, part;
    std::function<void()> end;
  };
  void end_during(const std::vector<Work>& rows);

  testsupport::TempDir dir;
  std::string answer;
};

TEST_F(FixedRoadTest, ChoicePageLeadsOnByTheOptionAndBackDropsTheWorkingFiles) {
  Form3& choice = page<Form3>();
  choice.Show();
  choice.Command2->click();
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Please select the option"});
  // A click anywhere in the option's box sets it; past its caption the backdrop shows.
  const QPoint past = choice.Option2->geometry().center();
  EXPECT_TRUE(qt_test::wait_until([&] {
    const QRgb ground = qt_test::grab(*choice.ShockwaveFlash1).pixel(past);
    return (ground & 0xFFFFFF) != 0xFFFFFF && qt_test::grab(choice).pixel(past) == ground;
  }));
  wizard_test::mouse_click(choice.Option2);  // the floating step 5 hides the page itself when it loads
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

// The size boxes follow the kind of button; Accept and Encode take whole numbers of pixels, the
// width up to 200; a new visit keeps the last good size in the code.
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
  // (width typed, the width in the code, or "" when refused with a message naming the box)
  const std::pair<const char*, std::string> accepts[] = {{"200", "200"}, {"201", ""}, {"", ""},
                                                         {"0", ""},      {"abc", ""}, {" 150 ", "150"}};
  step5.Text4->setText("60");
  for (const auto& [typed, width] : accepts) {
    const std::string before = code(step5);
    const std::size_t shown = boxes().texts().size();
    step5.Text3->setText(typed);
    step5.Command5->click();
    EXPECT_EQ(code(step5).find("width=\"" + width + "\" height=\"60\"") != std::string::npos, !width.empty());
    EXPECT_EQ(code(step5) == before, width.empty()) << typed;
    EXPECT_EQ(boxes().texts().size(), shown + width.empty()) << typed;
  }
  EXPECT_EQ(boxes().texts().front(), "Please Choose less than 200");
  step5.Text4->setText("-5");
  step5.Command2->click();
  EXPECT_NE(boxes().texts().back().find("height"), std::string::npos);
  EXPECT_TRUE(step5.isVisible() && !wizard::page_exists(Form12::kNumber)) << "no encoding";
  step5.Command1->click();
  fixed_step5();
  EXPECT_NE(code(step5).find("width=\"150\" height=\"60\""), std::string::npos);
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
  } rows[] = {{sound("tagged", 44100, "--add-id3v2 --tt Road "), "mp3", 44100, false, false},
              {sound("high", 48000, ""), "mp3", 22050, true, false},
              {sound("plain", 22050), "wav", 22050, true, true}};
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

// Each end runs in a fresh process (threadsafe death test: the web engine's threads do not survive a
// fork), which reports to a file; the program must end by its own end within a second: status 0,
// no part file left, the save path as it was, and of the data folder what was installed, the
// style's pieces and the sample pages, also after earlier visits' sources.
void FixedRoadTest::end_during(const std::vector<Work>& rows) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* given = std::getenv("MELLIX_CLOSE_REPORT");  // set for the fresh runs
  const std::string reports = given ? given : dir.file("report");
  setenv("MELLIX_CLOSE_REPORT", reports.c_str(), 1);
  const std::string twav = core::spd_path("twav");
  const auto now = [] {
    return std::chrono::nanoseconds(std::chrono::system_clock::now().time_since_epoch()).count();
  };
  const auto has_part = [](const fs::path& in, const std::string& name) {
    for (const auto& entry : fs::recursive_directory_iterator(in))
      if (entry.path().filename().string().find(name) != std::string::npos) return true;
    return false;
  };
  const auto files_in = [](const fs::path& spd) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(spd))
      if (!entry.is_directory()) files.insert(fs::relative(entry.path(), spd).string());
    return files;
  };
  std::set<std::string> kept = files_in(appdir.spd());
  kept.insert({"tp.spd", "middle.spd", "bottom.spd", "temp.swf", "web/test_fixed.htm", "web/test_fixed.txt"});
  fs::copy_file(sound("recorded", 22050), core::spd_path("wvtemp/microphone.wav"));
  fs::copy_file(sound("chosen", 44100, ""), core::spd_path("twav/tmp.mp3"));
  int run = 0;
  for (const auto& row : rows) {
    core::source_filename = row.source;
    core::source_type = row.type;
    core::rate_check_done = 0;
    Form14& step5 = fixed_step5();
    const std::string save = dir.file("kept.swf"), report = reports + std::to_string(++run);
    testsupport::write_bytes(save, "the earlier movie");
    step5.Text2->setText(QString::fromStdString(save));
    EXPECT_EXIT(
        {
          wizard::set_end_process_hook({});
          wizard::end_on_stopping_signals();
          const auto under_way = [&] {
            if (row.source.empty()) return QApplication::activeModalWidget() != nullptr;
            return row.part.empty() ? page<wizard::Form5>().Picture2->isVisible() : has_part(twav, row.part);
          };
          QTimer poll;
          QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!under_way()) return;
            poll.stop();
            testsupport::write_bytes(report, std::to_string(now()) + "\n" + appdir.path().string() + "\n" +
                                                 dir.path().string() + "\n");
            row.end();
          });
          poll.start(1);
          if (row.source.empty()) wizard::CommonDialog::set_chooser({});  // the real dialog
          (row.source.empty() ? step5.Command4 : step5.Command2)->click();
        },
        testing::ExitedWithCode(0), "")
        << row.work;
    if (given) continue;  // the fresh run checks nothing of the others

    const auto ended = now();
    std::istringstream lines(testsupport::read_bytes(report));
    long long closed = 0;
    std::string where, saved_in;
    ASSERT_TRUE(lines >> closed >> where >> saved_in) << row.work << ": not ended during it";
    EXPECT_LT(ended - closed, 1'000'000'000) << row.work;
    EXPECT_FALSE(has_part(where + "/spd", ".part-") || has_part(saved_in, ".part-")) << row.work;
    EXPECT_EQ(testsupport::read_bytes(saved_in + "/kept.swf"), "the earlier movie") << row.work;
    for (const std::string& file : files_in(where + "/spd"))
      EXPECT_TRUE(kept.count(file)) << row.work << ": " << file << " is left behind";
    fs::remove_all(where);
    fs::remove_all(saved_in);
  }
  unsetenv("MELLIX_CLOSE_REPORT");
}

// Closing the progress page at any moment of the work ends the program at once.
TEST_F(FixedRoadTest, ClosingTheProgressPageDuringALongReEncodeActsAtOnce) {
  const std::string high = sound("high", 48000, "", 60);
  const auto close = [] { page<wizard::Form5>().close(); };
  end_during({{"decode", high, "mp3", ".mp3towav.wav.part-", close},
              {"re-encode", high, "mp3", ".temp_wav.mp3.part-", close},
              {"WAV encode", sound("tone", 22050, nullptr, 60), "wav", ".temp_wav.mp3.part-", close},
              {"build", sound("low", 44100, "", 20), "mp3", "", close}});
}

// A logout, a kill or Ctrl+C ends the program as the close box does.
TEST_F(FixedRoadTest, AStoppingSignalEndsAsTheCloseBoxDoes) {
  const auto signal = [](int number) { return [number] { ::kill(::getpid(), number); }; };
  end_during({{"re-encode", sound("high", 48000, "", 60), "mp3", ".temp_wav.mp3.part-", signal(SIGINT)},
              {"build", sound("low", 44100, "", 20), "mp3", "", signal(SIGHUP)},
              {"save dialog", "", "", "", signal(SIGTERM)}});
}

// The working files of the decode and the movie's build go once the movie is built (the program's
// end removes the rest, checked by the ends above).
TEST_F(FixedRoadTest, EncodeLeavesOnlyWhatTheFinishPageNeeds) {
  core::source_filename = sound("high", 48000, "");
  core::source_type = "mp3";
  Form14& step5 = fixed_step5();
  step5.Text2->setText(QString::fromStdString(dir.file("out.swf")));
  step5.Command2->click();
  ASSERT_TRUE(page<Form12>().isVisible());
  for (const char* gone : {"twav/mp3towav.wav", "sprite_top.dat", "mp3_data2.dat", "sprite_mp3.dat"})
    EXPECT_FALSE(fs::exists(core::spd_path(gone))) << gone << " outlives the Encode";
}

// A failed Encode says what went wrong, leaves the earlier movie at the save path, and shows
// the page that encoded (keeping a recording); only a missing recording gets the microphone page.
TEST_F(FixedRoadTest, AFailedEncodeKeepsTheEarlierMovieAndShowsWhereToAct) {
  testsupport::write_bytes(dir.file("silence.mp3"), std::string(4000, '\0'));
  const std::string high = sound("high", 48000, ""), plain = sound("plain", 44100, "");
  const std::string recording = core::spd_path("wvtemp/microphone.wav"),
                    nowhere = dir.file("missing/out.swf");
  const std::vector<std::string> no_recording = {"Please insert Microphone--Press start recording to record",
                                                 "This error is due to :You have not recorded anything"};
  // A 46-minute recording: its header and room for the samples, which are never read.
  const std::uint32_t samples = 46 * 60 * 44100 * 4;
  testsupport::write_bytes(dir.file("long.wav"), core::wave_header(2, 44100, 16, 4, samples));
  fs::resize_file(dir.file("long.wav"), core::kWaveHeaderSize + samples);
  const struct {
    std::string source, type;
    std::int16_t form;
    std::vector<std::string> messages;
    bool breaks_twav, loses_piece;  // no decoded WAV to read; no bottom.spd
    std::string save;               // "" for a file holding an earlier movie
  } rows[] = {
      {dir.file("silence.mp3"), "mp3", 4, {"ERROR in file opening", ""}, false, false, ""},  // and why
      {high, "mp3", 4, {"File not found"}, true, false, ""},
      {high, "mp3", 4, {"The save path " + high + " is the source sound itself"}, false, false, high},
      {plain,
       "mp3",
       4,
       {"The folder of the save path " + nowhere + " does not exist"},
       false,
       false,
       nowhere},
      {dir.file("none.wav"), "wav", 9, no_recording, false, false, ""},
      {dir.file("long.wav"),
       "wav",
       9,
       {"The sound is too long for a movie: it lasts 46 min 0.0 s"},
       false,
       false,
       ""},
      {recording, "wav", 9, {"File not found: " + core::spd_path("bottom.spd")}, false, true, ""}};
  for (const auto& row : rows) {
    core::source_filename = row.source;
    core::source_type = row.type;
    core::source_form = row.form;
    core::rate_check_done = 0;
    core::step_code = 0;
    Form14& step5 = fixed_step5();
    const std::string save = row.save.empty() ? dir.file("kept.swf") : row.save;
    if (row.save.empty()) testsupport::write_bytes(save, "the earlier movie");
    const std::string earlier = testsupport::read_bytes(save);
    answer = save;
    step5.Command4->click();  // the save dialog, which asks before it chooses an existing file
    if (row.breaks_twav)
      fs::remove_all(core::spd_path("twav")), testsupport::write_bytes(core::spd_path("twav"), "");
    if (row.loses_piece) fs::rename(core::spd_path("bottom.spd"), dir.file("bottom.spd"));
    if (row.source == recording)
      fs::copy_file(sound("recorded", 22050), recording, fs::copy_options::overwrite_existing);
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
}

// A typed name is saved in the home folder, shown whole; a file we did not write waits for a Yes.
TEST_F(FixedRoadTest, ATypedNameLiesInTheHomeFolderAndAForeignFileIsAskedFor) {
  core::source_filename = sound("plain", 44100, "");
  core::source_type = "mp3";
  const std::string whole = core::drive_c_path("button.swf");
  testsupport::write_bytes(whole, "not a movie of ours");
  Form14& step5 = fixed_step5();
  step5.Text2->setText("button.swf");
  step5.Command1->click();
  fixed_step5();  // the visit's code too names the file that Encode writes
  EXPECT_NE(code(step5).find("\"" + whole + "\""), std::string::npos) << code(step5);
  step5.Command6->click();
  EXPECT_NE(QApplication::clipboard()->text().toStdString().find(whole), std::string::npos);
  recorder->answer = false;
  step5.Command2->click();
  EXPECT_EQ(boxes().texts(),
            std::vector<std::string>{whole + " already exists.\nDo you want to replace it?"});
  EXPECT_TRUE(step5.isVisible() && core::rate_check_done == 0) << "nothing was done";
  EXPECT_EQ(testsupport::read_bytes(whole), "not a movie of ours");
  EXPECT_EQ(step5.Text2->text().toStdString(), whole);
  recorder->answer = true;
  step5.Command2->click();
  Form12& finish = page<Form12>();
  EXPECT_EQ(finish.Text1->toPlainText().toStdString(), whole);
  EXPECT_EQ(testsupport::read_bytes(whole), testsupport::read_bytes(core::spd_path("final.swf")));
  finish.Command1->click();
  step5.Command2->click();
  EXPECT_TRUE(finish.isVisible() && boxes().texts().size() == 2u) << "asked once";
}

// A refusal that needs no work is told over step 5 before the progress page, in a message box that
// keeps a long path on screen; step 5 stays, but a silent recording goes back to its page.
TEST_F(FixedRoadTest, RefusalsThatNeedNoWorkComeBeforeTheProgressPage) {
  const std::string mp3 = sound("plain", 44100, ""), folder = dir.path().string(), out = dir.file("out.swf");
  const std::string long_path = dir.file("missing/" + std::string(296, 'n') + ".swf");
  const std::string spoken = text_recording::recording_path();
  const std::uint32_t samples = 46 * 60 * 44100 * 4;  // 46 minutes, never read
  testsupport::write_bytes(dir.file("long.wav"), core::wave_header(2, 44100, 16, 4, samples));
  fs::resize_file(dir.file("long.wav"), core::kWaveHeaderSize + samples);
  using wizard::PageId;
  const struct {
    std::string source, save, message;
    PageId source_page, shown;
  } rows[] = {
      {mp3, "", "No save path is given for the movie", PageId::File, PageId::FixedStep5},
      {mp3, folder, "The save path " + folder + " is a folder, not a file", PageId::File, PageId::FixedStep5},
      {mp3, long_path, "The folder of the save path " + long_path + " does not exist", PageId::File,
       PageId::FixedStep5},
      {dir.file("long.wav"), out, "The sound is too long for a movie", PageId::Microphone,
       PageId::FixedStep5},
      {dir.file("none.wav"), out, "Please insert Microphone", PageId::Microphone, PageId::Microphone},
      {spoken, out, "There is no recording to go on with: the recording holds no sound", PageId::Speech,
       PageId::Speech}};
  std::vector<std::string>
      told;                    // each box: what was amiss as it showed, "| ", its text without break points
  wizard::install_services();  // the program's own message boxes, each read and closed here
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    const bool fits = box->screen()->availableGeometry().contains(box->frameGeometry()) &&
                      label->minimumSizeHint().width() <= label->width();
    told.push_back(std::string(page<wizard::Form5>().isVisible() ? "progress " : "") +
                   (page<Form14>().isVisible() ? "" : "step-5-hidden ") + (fits ? "" : "cut ") +
                   (label->text().contains(QChar(0x200B)) ? "wrapped " : "") + "| " +
                   QString(label->text()).remove(QChar(0x200B)).toStdString());
    box->accept();
  });
  poll.start(20);
  for (const auto& row : rows) {
    core::source_filename = row.source;
    core::source_type = row.source == mp3 ? "mp3" : "wav";
    core::source_form = static_cast<std::int16_t>(wizard::number(row.source_page));
    core::rate_check_done = 0;
    Form14& step5 = fixed_step5();
    step5.Text2->setText(QString::fromStdString(row.save));
    if (row.source == spoken) testsupport::write_bytes(spoken, core::wave_header(1, 22050, 16, 2, 0));
    told.clear();
    step5.Command2->click();
    ASSERT_FALSE(told.empty()) << row.message;
    EXPECT_TRUE(told.front().starts_with((row.save == long_path ? "wrapped | " : "| ") + row.message))
        << told.front();
    for (const std::string& box : told)
      EXPECT_TRUE(box.starts_with("| ") || box.starts_with("wrapped | ")) << box;
    EXPECT_TRUE(wizard::page(row.shown)->isVisible() &&
                step5.isVisible() == (row.shown == PageId::FixedStep5))
        << row.message;
    EXPECT_FALSE(page<wizard::Form5>().isVisible() || fs::exists(out) || core::rate_check_done)
        << row.message;
    wizard::unload_pages();
  }
}

// A style piece that cannot be composed is told once a visit, and the rest of the visit's
// loading runs: the size boxes, the encoder object, the code.
TEST_F(FixedRoadTest, AFailedCompositionIsToldAndTheLoadingGoesOn) {
  Form14& step5 = fixed_step5();
  step5.Check1->click();  // autoplay
  ASSERT_TRUE(boxes().texts().empty() && !step5.m_cEncoder);
  fs::remove(core::spd_path("sam_pla/1_sam_pla/bottom1.spd"));
  step5.Command1->click();
  core::button_type = 2;  // a square style now: the visit sets the boxes to its size
  core::source_type = "mp3";
  wizard_test::mouse_click(page<Form3>().Command2);
  qt_test::pump(50);
  ASSERT_EQ(boxes().texts().size(), 1u);
  EXPECT_EQ(boxes().texts().front().rfind("The style could not be composed: ", 0), 0u);
  EXPECT_TRUE(step5.isVisible() && step5.Text3->text() == "90" && step5.m_cEncoder);
  EXPECT_NE(code(step5).find("width=\"90\" height=\"90\""), std::string::npos);
}

}  // namespace
