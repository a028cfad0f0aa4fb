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
/// plain ones otherwise. A piece that is missing or damaged is told while the box's page is
/// shown, and the caller goes on.
void compose_for_autoplay(const QCheckBox* box);

/// Every visit of an Encode page: its loading, then the autoplay pieces once more when ticked
/// (not when the loading's composition has just failed: the visit tells it once).
void activate_encode_page(WizardPage& page, const QCheckBox* autoplay);

/// The path the movie of the save-path box is written to, and the one the page code names: the
/// box's text, a name typed without its folder taken from the home folder, as the default is.
std::string save_path_of(const QLineEdit* box);

/// The loading's encoder set-up: the rate of a WAV source is read first, since a new encoder
/// object reads it, then a WAV or MP3 source gets a new encoder; failures are passed over.
void make_encoder(std::unique_ptr<cLameEncoder>& encoder);

/// Runs the Encode of `page` along `road` with the page's encoder object. The save path is
/// taken from the page's box (save_path_of). What needs no work to refuse is told before the
/// progress page shows, over the page, which stays: a path that names the chosen sound or
/// cannot take a movie, a WAV source too long for a movie, and a microphone or speech
/// recording that holds no sound (the two messages about recording and the microphone page,
/// or a message and the speech page). An existing file at the path that this wizard did not
/// write is replaced only after the user says Yes, and nothing there is touched until the
/// finished movie replaces it. On success the finish page shows; on a failure the progress
/// page hides, the failure's own description is told and the page that encoded comes back.
void run_encode(const EncodeRoad& road, WizardPage& page, std::unique_ptr<cLameEncoder>& encoder);

}  // namespace wizard
