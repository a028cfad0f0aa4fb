#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/hex.h"
#include "platform/speech/espeak_engine.h"
#include "platform/speech/sp_voice.h"
#include "support/qt_core.h"
#include "support/test_support.h"

namespace {

using testsupport::capture;
using testsupport::quote;

const std::string kShort = "Hello I am Sam, I can record text in default voice";
const std::string kLong =
    "Hello I am Sam, I can record text in default voice. The quick brown fox jumps over the lazy dog, "
    "and then it runs far away into the green hills.";

// Lets queued events (EndStream) arrive for up to `ms` or until `done`.
void process_events(
    int ms, const std::function<bool()>& done = [] { return false; }) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms && !done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Largest distance from silence of any signed 16-bit sample.
int peak16(const std::string& data) {
  int most = 0;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    most = std::max(most, std::abs(static_cast<std::int16_t>(core::get_u16le(data, i))));
  }
  return most;
}

// A recorded WAV file: canonical 44-byte header, then the samples.
struct Wav {
  std::string bytes;

  std::uint32_t data_size() const { return core::get_u32le(bytes, 40); }
  std::string data() const { return bytes.substr(44, data_size()); }
  double duration() const { return static_cast<double>(data_size()) / core::get_u32le(bytes, 28); }
  int peak() const {
    if (core::get_u16le(bytes, 34) != 8) return peak16(data());
    int most = 0;
    for (unsigned char c : data()) most = std::max(most, std::abs(c - 128));
    return most;
  }
};

class SpeechVoice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::core_app(); }

  // Speaks into a new WAV file in the format and reads it back.
  Wav record(std::int32_t format, const std::string& text, std::int32_t rate = 0, std::int32_t volume = 100) {
    sapi::SpVoice voice;
    voice.setRate(rate);
    voice.setVolume(volume);
    auto stream = std::make_shared<sapi::SpFileStream>();
    stream->Format().setType(format);
    path = dir.file("text.wav");
    stream->Open(path, sapi::SSFMCreateForWrite, false);
    voice.setAudioOutputStream(stream);
    voice.Speak(text, sapi::SVSFDefault);
    stream->Close();
    voice.setAudioOutputStream(nullptr);
    Wav wav{testsupport::read_bytes(path)};
    EXPECT_GE(wav.bytes.size(), 44u);
    wav.bytes.resize(std::max<std::size_t>(wav.bytes.size(), 44));
    return wav;
  }

  // Notes every EndStream of the voice: its stream number and position.
  void listen(sapi::SpVoice& voice) {
    QObject::connect(&voice, &sapi::SpVoice::EndStream, [this](int number, qint64 position) {
      ends.push_back(number);
      positions.push_back(position);
    });
  }

  testsupport::TempDir dir;
  std::string path;
  std::vector<int> ends;
  std::vector<qint64> positions;
};

TEST_F(SpeechVoice, ListsTheInstalledVoicesTheUsersLanguageFirst) {
  sapi::SpVoice voice;
  const auto tokens = voice.GetVoices();
  ASSERT_GT(tokens.Count(), 100);  // espeak-ng's language voices
  for (const auto& token : tokens) EXPECT_FALSE(token.GetDescription(0).empty() || token.Id().empty());
  EXPECT_EQ(voice.Voice().Id(), tokens.Item(0).Id());
  EXPECT_THROW(tokens.Item(tokens.Count()), core::VbError);
  EXPECT_THROW(tokens.Item(-1), core::VbError);

  EXPECT_EQ(speech::installed_voices("en-us").front().name, "English (America)");
  EXPECT_EQ(speech::installed_voices("en").front().name, "English (Great Britain)");
  EXPECT_EQ(speech::installed_voices("de-at").front().name, "German");
  EXPECT_EQ(speech::installed_voices("pt-br").front().identifier, "roa/pt-BR");
  EXPECT_EQ(speech::installed_voices("en-us").size(), speech::installed_voices("xx").size());

  const std::string old = std::getenv("LANG") ? std::getenv("LANG") : "";
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  for (const auto& [lang, language] : {std::pair{"fr_CA.UTF-8", "fr-ca"}, {"C.UTF-8", "en"}}) {
    setenv("LANG", lang, 1);
    EXPECT_EQ(speech::user_language(), language);
  }
  setenv("LANG", old.c_str(), 1);
}

// What a rate does to the sound is checked on the spoken files below.
TEST_F(SpeechVoice, RateAndVolumeKeepToTheirRanges) {
  sapi::SpVoice voice;
  voice.setRate(12);
  EXPECT_EQ(voice.Rate(), 10);
  voice.setVolume(-3);
  EXPECT_EQ(voice.Volume(), 0);
}

TEST_F(SpeechVoice, LongTextsAreSpokenInPiecesThatJoinUp) {
  using speech::split_for_synthesis;
  EXPECT_EQ(split_for_synthesis("One. Two. Three.", 11), (std::vector<std::string>{"One. Two. ", "Three."}));
  EXPECT_EQ(split_for_synthesis("one two three", 9), (std::vector<std::string>{"one two ", "three"}));
  EXPECT_EQ(split_for_synthesis("abcdefgh", 3), (std::vector<std::string>{"abc", "def", "gh"}));
  // Never inside a UTF-8 character: "\u00e9" is two bytes.
  EXPECT_EQ(split_for_synthesis("a\u00e9\u00e9", 2), (std::vector<std::string>{"a", "\u00e9", "\u00e9"}));
  EXPECT_TRUE(split_for_synthesis("").empty());

  // Pieces of the default size end at a sentence (that they join up is the fuzz target's check).
  std::string text;
  for (int i = 0; i < 300; ++i) text += "Sentence number " + std::to_string(i) + " ends here.\n";
  const auto pieces = split_for_synthesis(text);
  EXPECT_GT(pieces.size(), 1u);
  for (const auto& piece : pieces) EXPECT_TRUE(piece.size() <= 2000u && piece.back() == '\n');
}

// Every format lasts as long as the engine's speech, and volume 0 is the format's silence (128
// for unsigned 8-bit sound); longer text, a faster rate and half the volume change the sound.
TEST_F(SpeechVoice, SpeaksIntoAFileStreamInTheStreamsFormat) {
  const struct {
    std::int32_t type;
    std::uint32_t rate;
    std::uint16_t channels, bits;
    const char* codec;
  } cases[] = {{23, 22050, 2, 16, "pcm_s16le"}, {4, 8000, 1, 8, "pcm_u8"}, {39, 48000, 2, 16, "pcm_s16le"}};
  double reference = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    const Wav shorter = record(c.type, kShort);
    EXPECT_EQ(shorter.bytes.size(), 44 + shorter.data_size() + shorter.data_size() % 2) << "44-byte header";
    EXPECT_GT(shorter.peak(), c.bits == 8 ? 40 : 10000);
    EXPECT_EQ(capture("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 " +
                      quote(path)),
              c.codec + ("," + std::to_string(c.rate) + "," + std::to_string(c.channels) + "\n"));
    if (reference == 0) reference = shorter.duration();
    EXPECT_NEAR(shorter.duration(), reference, 0.1);
    const Wav quiet = record(c.type, kShort, 0, 0);
    EXPECT_NEAR(quiet.duration(), reference, 0.1);
    EXPECT_EQ(quiet.data().find_first_not_of(c.bits == 8 ? '\x80' : '\0'), std::string::npos);
  }
  const Wav loud = record(23, kShort);
  EXPECT_GT(record(23, kLong).duration(), loud.duration() * 1.5);
  EXPECT_LT(record(23, kShort, 5).duration(), loud.duration() * 0.75);
  EXPECT_NEAR(static_cast<double>(record(23, kShort, 0, 50).peak()) / loud.peak(), 0.5, 0.1);
}

TEST_F(SpeechVoice, EndStreamComesOnceForASpokenFile) {
  sapi::SpVoice voice;
  listen(voice);
  auto stream = std::make_shared<sapi::SpFileStream>();
  stream->Format().setType(sapi::SAFT22kHz16BitStereo);
  stream->Open(dir.file("a.wav"), sapi::SSFMCreateForWrite);
  voice.setAudioOutputStream(stream);
  EXPECT_EQ(voice.Speak("One.", sapi::SVSFDefault), 1);
  EXPECT_EQ(voice.Speak("Two.", sapi::SVSFDefault), 2);
  const auto written = stream->bytes_written();
  stream->Close();
  EXPECT_TRUE(ends.empty()) << "events come through the event loop";
  process_events(200);
  ASSERT_EQ(ends, (std::vector<int>{1, 2}));
  EXPECT_EQ(static_cast<std::uint64_t>(positions[0] + positions[1]), written);
}

TEST_F(SpeechVoice, StreamFormatRules) {
  sapi::SpFileStream stream;
  EXPECT_EQ(stream.Format().Type(), sapi::SAFT22kHz16BitMono);
  EXPECT_THROW(stream.Format().setType(3), core::VbError);
  EXPECT_THROW(stream.Format().setType(40), core::VbError);
  stream.Format().setType(4);
  stream.Open(dir.file("b.wav"), sapi::SSFMCreateForWrite);
  EXPECT_THROW(stream.Format().setType(23), core::VbError) << "locked while open";
  stream.Close();
  stream.Format().setType(23);
  EXPECT_EQ(stream.Format().Type(), 23);
  EXPECT_THROW(stream.Open(dir.file("no/such/folder/c.wav"), sapi::SSFMCreateForWrite), core::VbError);
  EXPECT_THROW(stream.Open(dir.file("d.wav"), sapi::SSFMOpenForRead), core::VbError);

  // A voice refuses a file stream that is not open.
  sapi::SpVoice voice;
  voice.setAudioOutputStream(std::make_shared<sapi::SpFileStream>());
  EXPECT_THROW(voice.Speak("Hello", sapi::SVSFDefault), core::VbError);

  // The speakers take a format only when changes on the next set are not allowed; a file stream
  // keeps its own, and assigning none returns to the speakers as they were.
  voice.setAudioOutputStream(nullptr);
  EXPECT_TRUE(voice.AllowAudioOutputFormatChangesOnNextSet());
  for (const bool allow : {true, false}) {
    voice.setAllowAudioOutputFormatChangesOnNextSet(allow);
    voice.AudioOutputStream()->Format().setType(23);
    voice.setAudioOutputStream(voice.AudioOutputStream());
    EXPECT_EQ(voice.AudioOutputStream()->Format().Type(), allow ? 22 : 23);
  }
  auto file = std::make_shared<sapi::SpFileStream>();
  file->Format().setType(19);
  voice.setAllowAudioOutputFormatChangesOnNextSet(true);
  voice.setAudioOutputStream(file);
  EXPECT_EQ(file->Format().Type(), 19);
  voice.setAllowAudioOutputFormatChangesOnNextSet(false);
  voice.setAudioOutputStream(nullptr);
  EXPECT_TRUE(voice.AudioOutputStream()->is_audio_device());
  EXPECT_EQ(voice.AudioOutputStream()->Format().Type(), 23);
}

class SpeakersVoice : public SpeechVoice {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr) << "needs the private PulseAudio: run scripts/test.sh";
  }
};

TEST_F(SpeakersVoice, AsyncAndSyncSpeechPlayToTheEndAndEndStreamComesOnce) {
  const double spoken = record(23, "Hello world.").duration();
  // What reaches the sound server, recorded from the null sink's monitor meanwhile.
  const std::string recording = dir.file("heard.raw");
  QElapsedTimer listening;
  listening.start();
  testsupport::run("timeout 2.5 parec -d out.monitor --raw --format=s16le --rate=22050 --channels=1 " +
                   quote(recording) + " >/dev/null 2>&1 &");

  sapi::SpVoice voice;
  voice.setAllowAudioOutputFormatChangesOnNextSet(false);
  voice.AudioOutputStream()->Format().setType(23);
  voice.setAudioOutputStream(voice.AudioOutputStream());
  listen(voice);

  process_events(300);  // the recorder is listening
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(voice.Speak("Hello world.", sapi::SVSFlagsAsync), 1);
  EXPECT_LT(clock.elapsed(), 200) << "async returns at once";
  process_events(5000, [&] { return !ends.empty(); });
  const double took = clock.elapsed() / 1000.0;
  ASSERT_EQ(ends, std::vector<int>{1});
  EXPECT_GT(took, spoken * 0.9);
  // A sound server that has just started can hold the first sound back for a second or so.
  EXPECT_LT(took, spoken + 2.5);
  process_events(300);
  EXPECT_EQ(ends.size(), 1u);

  // The speech was heard.
  process_events(2700 - static_cast<int>(listening.elapsed()));
  EXPECT_GT(peak16(testsupport::read_bytes(recording)), 5000);

  // Sync speech returns once spoken; its EndStream also comes through the event loop.
  clock.restart();
  EXPECT_EQ(voice.Speak("Hello world.", sapi::SVSFDefault), 2);
  EXPECT_GT(clock.elapsed() / 1000.0, spoken * 0.9);
  EXPECT_EQ(ends.size(), 1u);
  process_events(300);
  EXPECT_EQ(ends, (std::vector<int>{1, 2}));
}

TEST_F(SpeakersVoice, PurgeStopsTheSpeechAndEndStreamComesOnce) {
  const double spoken = record(22, kLong).duration();
  sapi::SpVoice voice;
  listen(voice);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(voice.Speak(kLong, sapi::SVSFlagsAsync), 1);
  EXPECT_EQ(voice.Speak(kShort, sapi::SVSFlagsAsync), 2);  // waits behind the first
  process_events(400);
  EXPECT_TRUE(ends.empty());
  EXPECT_EQ(voice.Speak("", sapi::SVSFPurgeBeforeSpeak), 0);
  process_events(1000, [&] { return ends.size() == 2; });
  EXPECT_LT(clock.elapsed() / 1000.0, spoken / 2) << "stopped long before its end";
  process_events(500);
  ASSERT_EQ(ends, (std::vector<int>{2, 1})) << "the waiting stream is dropped at once";
  EXPECT_EQ(positions[0], 0);
  EXPECT_LT(positions[1], static_cast<qint64>(spoken * 44100 * 0.9));

  // The voice speaks on afterwards.
  EXPECT_EQ(voice.Speak("Yes.", sapi::SVSFlagsAsync | sapi::SVSFPurgeBeforeSpeak), 3);
  process_events(3000, [&] { return ends.size() == 3; });
  ASSERT_EQ(ends, (std::vector<int>{2, 1, 3}));
  EXPECT_GT(positions[2], 10000);
}

TEST_F(SpeakersVoice, ALongSpeechHoldsUpNoOtherVoiceAndStopsWhenReleased) {
  QElapsedTimer clock;
  {
    sapi::SpVoice talker;
    std::string speech;
    for (int i = 0; i < 40; ++i) speech += kLong + " ";
    talker.Speak(speech, sapi::SVSFlagsAsync);
    talker.Speak(kLong, sapi::SVSFlagsAsync);
    process_events(300);
    clock.start();
    EXPECT_GT(record(23, kShort).duration(), 2.0);
    EXPECT_LT(clock.elapsed(), 2000);
    clock.restart();
  }
  EXPECT_LT(clock.elapsed(), 1000) << "a voice released while speaking stops at once";
  process_events(100);  // nothing arrives for the released voice
}

}  // namespace
