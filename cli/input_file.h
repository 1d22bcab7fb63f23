// Whole-file reads and writes for the command-line front end, with errors that name the file.
#pragma once

#include <stddef.h>

#include <string>

namespace vexilor_cli {

// Files larger than this are refused: no recording of a machine comes near it.
constexpr size_t kMaxInputBytes = 16u << 20;

bool ReadWholeFile(const std::string& path, std::string* text, std::string* error);
// Writes through a temporary file and a rename, so a failed write leaves nothing half-written.
bool WriteWholeFile(const std::string& path, const char* data, size_t length, std::string* error);

}  // namespace vexilor_cli
