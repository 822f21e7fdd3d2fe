#pragma once
// The controller flash export file: the bytes read from flash, in block
// order, with nothing added.
#include <cstdint>
#include <filesystem>
#include <vector>

// Creates or truncates the file and writes every byte. False when the file
// cannot be opened or not every byte was written.
bool writeFlashDumpFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
