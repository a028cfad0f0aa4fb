#include "audio/codec/lame_encoder.h"

#include <array>
#include <exception>
#include <filesystem>
#include <optional>

#include "audio/codec/mp3_writer.h"
#include "audio/codec/wav_reader.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/safe_files.h"
#include "core/shared_state.h"

namespace {

namespace f = platform::lame_config;

struct RateSettings {
  std::uint32_t input_rate;
  std::uint32_t output_rate;  // 0 keeps the input rate
  std::uint32_t bitrate;      // kbit/s
  std::uint32_t max_bitrate;  // kbit/s
};

// Every source rate maps to an MP3 at 11025, 22050 or 44100 Hz. A rate outside the table
// gets no row: the input rate is then the WAV's own, read when it is encoded.
std::optional<RateSettings> listed_rate_settings(std::int32_t source_rate) {
  struct Row {
    std::int32_t source_rate;
    RateSettings settings;
  };
  static constexpr std::array<Row, 9> kTable = {{
      {8000, {8000, 22050, 128, 0}},
      {11025, {11025, 0, 128, 0}},
      {12000, {12000, 22050, 128, 0}},
      {16000, {16000, 22050, 32, 0}},
      {22050, {22050, 0, 128, 0}},
      {24000, {24000, 22050, 128, 0}},
      {32000, {32000, 22050, 128, 0}},
      {44100, {44100, 0, 128, 0}},
      {48000, {48000, 22050, 128, 0}},
  }};
  for (const Row& row : kTable)
    if (row.source_rate == source_rate) return row.settings;
  return std::nullopt;
}

// A rate outside the table: the stream's rate for it, which also stands as the input rate
// until the WAV's own is read.
constexpr std::uint32_t kUnlistedStreamRate = 22050;
constexpr RateSettings kUnlistedRate = {kUnlistedStreamRate, 0, 128, 128};

bool stream_carries(std::uint32_t rate) { return rate == 11025 || rate == 22050 || rate == 44100; }

std::string lame_error_text(std::uint32_t code, bool encoder_result) {
  if (!encoder_result) return code == 1 ? "Lame engine not initialised" : "";
  switch (code) {
    case 1:
      return "Invalid Format";
    case 2:
      return "Invalid Format Parameters";
    case 3:
      return "Out of LAME handles";
    case 4:
      return "LAME handle is invalid";
    case 5:
      return "Buffer is too small";
    default:
      return "";
  }
}

}  // namespace

cLameEncoder::cLameEncoder() {
  const std::optional<RateSettings> listed = listed_rate_settings(core::source_sample_rate);
  rate_from_wav_ = !listed;
  const RateSettings rates = listed.value_or(kUnlistedRate);
  std::uint8_t* record = configuration_.data();
  core::set_u32le(record, f::kConfigKind, platform::BE_CONFIG_LAME);
  core::set_u32le(record, f::kStructVersion, 1);
  core::set_u32le(record, f::kStructSize, platform::kLameConfigSize);
  core::set_u32le(record, f::kSampleRate, rates.input_rate);
  core::set_u32le(record, f::kReSampleRate, rates.output_rate);
  core::set_u32le(record, f::kMode, platform::BE_MP3_MODE_JSTEREO);
  core::set_u32le(record, f::kBitrate, rates.bitrate);
  core::set_u32le(record, f::kMaxBitrate, rates.max_bitrate);
  core::set_u32le(record, f::kMpegVersion, 1);
  core::set_u32le(record, f::kOriginal, 1);
  core::set_u32le(record, f::kWriteVbrHeader, 1);
  core::set_u32le(record, f::kNoRes, 1);
  // Preset, psychoacoustic model, emphasis, private, CRC, copyright, VBR fields, strict ISO,
  // quality and the reserved bytes stay 0.
}

cLameEncoder::~cLameEncoder() {
  core::ignore_errors([this] { lameClose(); });
}

cLameEncoderVersion& cLameEncoder::version() {
  if (!version_) version_ = std::make_unique<cLameEncoderVersion>();
  return *version_;
}

void cLameEncoder::WavFile(const std::string& path) {
  wav_requested_ = path;
  if (FileExists(path)) wav_file_ = path;
}

void cLameEncoder::Mp3File(const std::string& path) {
  if (!FileExists(path)) mp3_file_ = path;
}

std::int32_t cLameEncoder::EncodingPreset() const {
  return static_cast<std::int32_t>(core::get_u32le(configuration_.data(), f::kPreset));
}
void cLameEncoder::EncodingPreset(std::int32_t preset) {
  core::set_u32le(configuration_.data(), f::kPreset, static_cast<std::uint32_t>(preset));
}
std::int32_t cLameEncoder::bitrate() const {
  return static_cast<std::int32_t>(core::get_u32le(configuration_.data(), f::kBitrate));
}
void cLameEncoder::bitrate(std::int32_t kbps) {
  core::set_u32le(configuration_.data(), f::kBitrate, static_cast<std::uint32_t>(kbps));
}
std::int32_t cLameEncoder::samplerate() const {
  return static_cast<std::int32_t>(core::get_u32le(configuration_.data(), f::kSampleRate));
}
void cLameEncoder::samplerate(std::int32_t hz) {
  rate_from_wav_ = false;  // a rate set by hand is kept
  core::set_u32le(configuration_.data(), f::kSampleRate, static_cast<std::uint32_t>(hz));
}
std::int32_t cLameEncoder::OutputMode() const {
  return static_cast<std::int32_t>(core::get_u32le(configuration_.data(), f::kMode));
}
void cLameEncoder::OutputMode(std::int32_t mode) {
  core::set_u32le(configuration_.data(), f::kMode, static_cast<std::uint32_t>(mode));
}

void cLameEncoder::Encode() {
  if (rate_from_wav_) TakeWavRate();
  lameInit();
  if (stream_ == 0) RaiseLameError("lameConvert", 1, false);

  std::unique_ptr<cWavReader> reader;
  std::unique_ptr<cMp3Writer> writer;
  std::unique_ptr<core::FileBeside> mp3;
  try {
    // The WAV is checked before anything is written, and the MP3 is written beside its path
    // and renamed onto it once complete: a failed or cancelled encoding leaves nothing there.
    reader = CreateWavReader();
    if (!mp3_file_.empty()) {
      core::refuse_same_file(wav_file_, mp3_file_, "lameConvert");
      mp3 = std::make_unique<core::FileBeside>(mp3_file_, "lameConvert");
    }
    writer = CreateMp3Writer(mp3 ? mp3->path() : mp3_file_);
    std::int64_t done = 0;
    bool cancel = false;
    std::uint32_t written = 0;

    // One read, one encoded chunk, one write; the read that returns false still holds data.
    while (reader->Read() && !cancel) {
      const auto samples = static_cast<std::uint32_t>(reader->ReadBufferSize()) * 2;
      RaiseLameError("lameConvert",
                     platform::beEncodeChunk(stream_, samples, reader->ReadBufferPtr(),
                                             writer->BufferPointer(), &written),
                     true);
      writer->WriteBufferToFile(static_cast<std::int32_t>(written));
      done += samples;
      if (progress)
        progress(static_cast<std::int32_t>(done), static_cast<std::int32_t>(reader->AudioLength()) * 2,
                 cancel);
      // The program is ending: the encoding stops as a cancelled one does.
      if (core::stop_requested()) cancel = true;
    }

    if (cancel) {
      writer->CloseFile();
    } else {
      if (reader->ReadSize() > 0) {
        const auto samples = static_cast<std::uint32_t>(reader->ReadSize()) * 2;
        RaiseLameError("lameConvert",
                       platform::beEncodeChunk(stream_, samples, reader->ReadBufferPtr(),
                                               writer->BufferPointer(), &written),
                       true);
        writer->WriteBufferToFile(static_cast<std::int32_t>(written));
      }
      RaiseLameError("lameConvert", platform::beDeinitStream(stream_, writer->BufferPointer(), &written),
                     true);
      writer->WriteBufferToFile(static_cast<std::int32_t>(written));
      const auto total = static_cast<std::int32_t>(reader->AudioLength()) * 2;
      if (progress) progress(total, total, cancel);
      writer->CloseFile();
      if (mp3) mp3->commit();
    }

    writer.reset();
    reader.reset();
    lameClose();
  } catch (...) {
    // Keep the error, release everything with errors ignored, raise it again as ours.
    const std::exception_ptr error = std::current_exception();
    core::ignore_errors([&] { writer.reset(); });
    core::ignore_errors([&] { reader.reset(); });
    core::ignore_errors([&] { lameClose(); });
    try {
      std::rethrow_exception(error);
    } catch (const core::VbError& e) {
      throw core::VbError(e.number(), core::exe_name() + ".lameConvert", e.description());
    }
  }
}

bool cLameEncoder::FileExists(const std::string& path) {
  // A normal file, not a folder; every error counts as "no".
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void cLameEncoder::TakeWavRate() {
  // A WAV the reader refuses is left as it stands: CreateWavReader reports it.
  std::uint32_t rate = 0;
  {
    cWavReader header;
    bool opened = false;
    core::ignore_errors([&] { opened = header.OpenFile(wav_file_); });
    if (!opened) return;
    rate = header.format().samples_per_sec;
  }
  if (rate < platform::kLowestInputRate || rate > platform::kHighestInputRate)
    throw core::VbError(29770 + platform::BE_ERR_INVALID_FORMAT_PARAMETERS, core::exe_name() + ".lameConvert",
                        lame_error_text(platform::BE_ERR_INVALID_FORMAT_PARAMETERS, true) +
                            ": the WAV file's sample rate is " + std::to_string(rate) +
                            " Hz; the encoder takes " + std::to_string(platform::kLowestInputRate) + " to " +
                            std::to_string(platform::kHighestInputRate) + " Hz");
  // Samples taken at `rate` and played at the stream's rate keep their length and pitch.
  core::set_u32le(configuration_.data(), f::kSampleRate, rate);
  core::set_u32le(configuration_.data(), f::kReSampleRate, stream_carries(rate) ? 0 : kUnlistedStreamRate);
}

void cLameEncoder::lameInit() {
  lameClose();
  const std::uint32_t result =
      platform::beInitStream(configuration_, &samples_per_chunk_, &output_buffer_size_, &stream_);
  if (result != platform::BE_ERR_SUCCESSFUL) {
    samples_per_chunk_ = 0;
    output_buffer_size_ = 0;
    stream_ = 0;
  }
  RaiseLameError("lameInit", result, true);
}

void cLameEncoder::lameClose() {
  if (stream_ == 0) return;
  const std::uint32_t result = platform::beCloseStream(stream_);
  stream_ = 0;
  samples_per_chunk_ = 0;
  output_buffer_size_ = 0;
  RaiseLameError("lameClose", result, true);
}

std::unique_ptr<cMp3Writer> cLameEncoder::CreateMp3Writer(const std::string& path) {
  auto writer = std::make_unique<cMp3Writer>();
  writer->BufferSize(static_cast<std::int32_t>(output_buffer_size_));
  writer->Filename(path);
  return writer;
}

std::unique_ptr<cWavReader> cLameEncoder::CreateWavReader() {
  auto reader = std::make_unique<cWavReader>();
  // One buffer holds exactly one chunk: frames of two samples each.
  reader->ReadBufferSize(static_cast<std::int32_t>(samples_per_chunk_ / 2));
  reader->Filename(wav_file_);
  if (reader->Filename().empty()) {
    // The reader opens nothing for a path that was not kept: say what was wrong with it.
    std::error_code ec;
    const std::string& path = wav_requested_;
    const std::string why = path.empty()                              ? "no WAV file is chosen"
                            : !std::filesystem::exists(path, ec)      ? path + " does not exist"
                            : std::filesystem::is_directory(path, ec) ? path + " is a folder, not a file"
                                                                      : path + " is not a regular file";
    throw core::VbError(29672, core::exe_name() + ".cWavePlayer", "Unable to open file: " + why);
  }
  return reader;
}

void cLameEncoder::RaiseLameError(const std::string& procedure, std::uint32_t code, bool encoder_result) {
  if (encoder_result && code == platform::BE_ERR_SUCCESSFUL) return;
  throw core::VbError(29770 + static_cast<long>(code), core::exe_name() + "." + procedure,
                      lame_error_text(code, encoder_result));
}
