#pragma once
// The machine-wide data folder shared by programs of the sensor family.
#include <filesystem>

namespace mirevo::platform {

// $PUBLIC when set, else $XDG_DATA_HOME/mirevo (default ~/.local/share/mirevo).
// The folder is created when missing; a failure to create it is left to the
// caller's next file operation to notice.
std::filesystem::path public_folder();

}  // namespace mirevo::platform
