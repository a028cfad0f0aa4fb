#pragma once

// The microphone recorder: records the default input through the wave-audio device under
// the alias "recsound", saves C:\NewWav.wav (in the home folder), repairs the header's
// average-bytes-per-second field and delivers the file as spd/wvtemp/microphone.wav.
// Module38::copy_file, which delivers it, is one of the engine's file helpers.

#include <cstdint>
#include <string>

#include "engine/files.h"

namespace Module38 {

/// The recording as the device saves it, and as the microphone page's player opens it.
inline constexpr const char* kRecording = "C:\\NewWav.wav";

/// Bytes per second of the recording: set from the requested format when recording starts,
/// and again from the device's answers when it stops.
inline std::int32_t rec_bytes_per_sec = 0;

/// Closes every open device, opens a new recording, sets its format and starts recording.
/// Each step needs the ones before it: the first command that fails shows the device's text
/// in a message box titled by its step, nothing further is sent, the device is closed again
/// and false is returned. `file` is not used: the recording is saved to C:\NewWav.wav.
bool start_recording(const std::string& file, const std::string& channels, const std::string& bits,
                     const std::string& samples);

/// Whether a recording is under way: the device "recsound" is open and recording or paused.
bool recording();

/// Stops and saves the recording, reads its format back, closes the device, repairs the
/// header and copies the file to spd/wvtemp/microphone.wav. Returns true when the device
/// saved the recording. Without a recording under way nothing is sent or written; when the
/// save fails, its failure is the one message shown and nothing is repaired or copied.
/// Throws core::VbError when C:\NewWav.wav cannot be opened for the header repair.
bool stop_recording();

/// Ends a recording under way without saving it: nothing is written, nothing is shown.
void discard_recording();

/// Asks the device for channels, bits per sample and sample rate and sets rec_bytes_per_sec
/// from them (a channel answer other than 1 counts as stereo). When an answer is not a whole
/// number (a query that failed leaves it empty), rec_bytes_per_sec keeps its value.
void query_recording_format();

/// Writes the low three bytes of rec_bytes_per_sec into C:\NewWav.wav at the 1-based
/// positions 29-31, without truncating the file; a missing file is created (zeros before).
void patch_wav_bytes_per_sec();

}  // namespace Module38
