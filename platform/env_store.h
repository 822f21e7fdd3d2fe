#pragma once
// Per-user persistent values (run-log level, folder limits). A process
// environment variable of the same name wins; otherwise the value comes from a
// small key=value file, $XDG_CONFIG_HOME/mirevo/environment (default
// ~/.config/mirevo/environment). Writes always go to that file.
#include <filesystem>
#include <optional>
#include <string>

namespace mirevo::platform {

std::filesystem::path envStorePath();

// The value of name, or nothing when neither the environment nor the file has it.
std::optional<std::string> readEnvValue(const std::string& name);

// Stores name=value in the file, keeping the other entries. False when the
// value could not be stored (bad name, folder or file not writable).
bool writeEnvValue(const std::string& name, const std::string& value);

}  // namespace mirevo::platform
