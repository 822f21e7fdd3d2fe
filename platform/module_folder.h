#pragma once
// The folder of the module (shared library or program) this code was linked
// into, so files that belong beside the interface land there whichever program
// loads it.
#include <filesystem>

namespace mirevo::platform {

// The folder of the loaded module holding this function; else the folder of
// the running program; else the working folder.
std::filesystem::path moduleFolder();

}  // namespace mirevo::platform
