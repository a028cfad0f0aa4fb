#pragma once

// The two pages that encode (the floating step 6 and the fixed step 5): the save path with its
// dialog, the autoplay box, the encoder object each visit makes, and the Encode button: the
// page hides, the progress page shows while the source is brought to a streamable MP3 and the
// movie is built and saved, and the finish page follows. The pages differ only in the data of
// an EncodeRoad.

#include <memory>
#include <optional>
#include <string>

#include "wizard/framework/wizard_page.h"

class QCheckBox;
class QLineEdit;
class cLameEncoder;

namespace wizard {

/// What sets one Encode page's road apart from the other's.
struct EncodeRoad {
  PageId page;                  // the page that encodes; step_code names it once the movie is saved
  const char* save_box;         // its save-path text box
  const char* held_button;      // a button disabled while the work runs (nullptr: none)
  bool clears_floating_sample;  // deletes spd/web/test.htm and test.txt after the build
  bool finish_before_hiding;    // shows the finish page before hiding the progress page
};

inline constexpr EncodeRoad kStep6Encode{PageId::Step6, "Text1", "Command2", false, false};
inline constexpr EncodeRoad kFixedStep5Encode{PageId::FixedStep5, "Text2", nullptr, true, true};

class CommonDialog;

/// The save-path box starts at the default path in the home folder, where the page code
/// points too; a movie the wizard writes there replaces the earlier one without asking.
void start_save_path(QLineEdit* box);

/// "Change ..": the save dialog for an SWF file. A chosen name goes into the box and becomes
/// the wizard's own (the dialog asked before choosing an existing file); a cancelled dialog
/// chooses nothing and leaves the path, the code and every file as they are (nullopt).
std::optional<std::string> choose_save_path(CommonDialog& dialog, QLineEdit* box);

/// The button pieces the autoplay box asks for: the autoplay pieces when it is ticked, the
/// plain ones otherwise.
void compose_for_autoplay(const QCheckBox* box);

/// Every visit of an Encode page: its loading, then the autoplay pieces once more when ticked.
void activate_encode_page(WizardPage& page, const QCheckBox* autoplay);

/// The loading's encoder set-up: the rate of a WAV source is read first, since a new encoder
/// object reads it, then a WAV or MP3 source gets a new encoder; failures are passed over.
void make_encoder(std::unique_ptr<cLameEncoder>& encoder);

/// Runs the Encode of `page` along `road` with the page's encoder object. The save path is
/// taken from the page's box (a name without a folder from the home folder); an existing file
/// there that this wizard did not write is replaced only after the user says Yes, nothing
/// there is touched until the finished movie replaces it, and a path that names the chosen
/// sound (or cannot take a movie) is refused at once. On
/// success the finish page shows. On a failure the progress page hides and: for a microphone
/// source without a recording (none, or one without sound), the two messages about recording
/// and the microphone page; for every other failure the failure's own description and the
/// page that encoded again, the recording kept.
void run_encode(const EncodeRoad& road, WizardPage& page, std::unique_ptr<cLameEncoder>& encoder);

}  // namespace wizard
