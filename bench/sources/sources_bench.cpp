// mellix-sources [SECONDS] [WORDS]: shows the speech page idle with its text-grab timers
// running, then the microphone page while it records, and prints for each the CPU and the
// memory (PSS) of all the program's processes; then times "Start Recording Text" for a text
// of WORDS words against `espeak-ng -w` speaking the same text with the same voice.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/xdesk.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/speech/voice_characters.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/startup.h"
#include "wizard/pages/step2_microphone.h"
#include "wizard/pages/step2_speech.h"

namespace fs = std::filesystem;

namespace {

// User plus system CPU time of the whole tree, in clock ticks.
long cpu_ticks(const std::vector<pid_t>& tree) {
  long total = 0;
  for (pid_t pid : tree) total += xdesk::cpu_ticks(pid);
  return total;
}

void spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// CPU share of one core and PSS of all processes while the page goes on for `seconds`, after
// `settle_ms` in which the movies load.
void measure(const std::string& what, double seconds, int settle_ms = 2000) {
  spin(settle_ms);
  const auto tree = xdesk::process_tree(getpid());
  const long before = cpu_ticks(tree);
  QElapsedTimer clock;
  clock.start();
  spin(static_cast<int>(seconds * 1000));
  const double cpu = static_cast<double>(cpu_ticks(xdesk::process_tree(getpid())) - before) /
                     sysconf(_SC_CLK_TCK) / (clock.elapsed() / 1000.0) * 100;
  long pss = 0;
  for (pid_t pid : xdesk::process_tree(getpid())) pss += xdesk::pss_kb(pid);
  std::printf("%-40s CPU %5.1f %% of one core   PSS %6.1f MB (%zu processes)\n", what.c_str(), cpu,
              pss / 1024.0, xdesk::process_tree(getpid()).size());
}

std::string words(int count) {
  static const char* kWords[] = {"the",  "quick", "brown", "fox", "jumps",  "over",  "a",       "lazy",
                                 "dog,", "and",   "then",  "it",  "rests.", "Sound", "travels", "far"};
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(kWords[i % 16]) + " ";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
  const int word_count = argc > 2 ? std::atoi(argv[2]) : 2000;
  Module30::prepare_process();
  wizard::WizardApplication app(argc, argv);

  auto& speech = wizard::page<wizard::Form10>();
  speech.Show();
  spin(500);
  measure("speech page, idle, two movies, timers on", seconds);
  speech.Option1->click();
  measure("speech page, idle, three movies, timers on", seconds);
  // What the timers themselves cost: the same page with them stopped.
  speech.Timer1->stop();
  speech.Timer4->stop();
  measure("the same with Timer1 and Timer4 stopped", seconds);
  speech.Timer1->start();
  speech.Timer4->start();
  // "Get Selected Text" against a window that has nothing selected: the selection is polled
  // until the grab gives up (after 3 s) and says so.
  core::set_message_box_hook(
      [](const std::string& text, const std::string&) { std::printf("message: %s\n", text.c_str()); });
  speech.Command14_Click();
  measure("the same, waiting for a selection that never comes", 2.5, 0);
  spin(1000);

  // "Start Recording Text" against the command line with the same voice and text.
  const std::string text = words(word_count);
  const fs::path text_file = fs::temp_directory_path() / "mellix-sources-text.txt";
  std::ofstream(text_file) << text;
  const std::string voice = speech::identifier(speech::voice_characters()[0]);
  const std::string peer_out = (fs::temp_directory_path() / "mellix-sources-espeak.wav").string();
  // The best of three of each, so that a busy machine disturbs the comparison less.
  double ours = 1e9, peer = 1e9;
  int status = 0;
  QElapsedTimer clock;
  for (int run = 0; run < 3; ++run) {
    core::grabbed_text = text;
    speech.set_Text1(text);   // as the grab shows it: the box is what is spoken
    speech.Command7_Click();  // "Clear": a new recording
    clock.start();
    speech.Command1_Click();
    ours = std::min(ours, clock.elapsed() / 1000.0);
    clock.restart();
    status = std::system(("espeak-ng -v " + voice + " -w " + peer_out + " -f " + text_file.string()).c_str());
    peer = std::min(peer, clock.elapsed() / 1000.0);
  }
  std::printf("\"Start Recording Text\", %d words, %s, best of 3: %.2f s (%ju bytes, 22 kHz stereo)\n",
              word_count, voice.c_str(), ours,
              static_cast<std::uintmax_t>(fs::file_size(core::spd_path("wvtemp/text.wav"))));
  std::printf("espeak-ng -w, the same text and voice, best of 3: %.2f s (exit %d)   ratio %.2f\n", peer,
              status, ours / peer);
  fs::remove(text_file);
  fs::remove(peer_out);

  auto& microphone = wizard::page<wizard::Form9>();
  speech.Hide();
  microphone.Show();
  spin(500);
  microphone.Command1_Click();
  measure("microphone page, recording", seconds);
  microphone.Command2_Click();
  std::fflush(stdout);
  _exit(0);
}
