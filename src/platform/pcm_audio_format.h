#pragma once

// The Qt Multimedia format of plain PCM: 8-bit samples are unsigned, 16-bit ones signed, as
// in wave files. Shared by the wave-audio device and the speakers' voice.

#include <QAudioFormat>

namespace platform {

inline QAudioFormat pcm_audio_format(int samples_per_sec, int channels, int bits_per_sample) {
  QAudioFormat qt;
  qt.setSampleRate(samples_per_sec);
  qt.setChannelCount(channels);
  qt.setSampleFormat(bits_per_sample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
  return qt;
}

}  // namespace platform
