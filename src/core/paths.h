#pragma once

#include <filesystem>
#include <string>

namespace core {

/// The application folder: the folder of the running executable unless a test or
/// benchmark has set another one.
std::filesystem::path app_dir();
void set_app_dir(const std::filesystem::path& dir);

/// The real folder of the running executable, also when a test or benchmark has set another
/// application folder; app_dir() when the executable cannot be found.
std::filesystem::path executable_dir();

/// `<appdir>/spd/<relative>`; `relative` uses '/' and may be empty.
std::string spd_path(const std::string& relative = {});
/// `<appdir>/spd_back/<relative>`, the pristine copy of the data tree.
std::string spd_back_path(const std::string& relative = {});

/// Holds the data folder `spd` for this process until it ends, so that no other copy of the
/// program works on its files meanwhile: false when another running process holds it. Taking
/// the hold writes nothing there. The kernel lets go of it when the process ends, however it
/// ends. A folder that cannot be held (missing, or on a file system without locks) is left
/// to the errors of its first use.
bool hold_data_folder();

/// Where a fixed path on drive C lives here: the user's home folder ($HOME/<name>).
std::string drive_c_path(const std::string& name);

}  // namespace core
