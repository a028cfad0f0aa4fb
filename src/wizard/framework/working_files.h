#pragma once

// The files the wizard works through in its data folder, which no later run reads: what is
// left of them when the program ends goes with it.

namespace wizard {

/// Removes the working files from spd/: the finished movie that the finish page shows
/// (final.swf), the movie's intermediate files, the encoded and decoded sounds under twav/
/// (the file page's MP3 of a chosen WAV, the Encode's MP3, the decoded WAV) and the
/// recordings under wvtemp/, whose copies in the home folder stay. The movie at the save path,
/// the sample pages and the style's pieces and preview stay. Errors are ignored.
void remove_working_files();

}  // namespace wizard
