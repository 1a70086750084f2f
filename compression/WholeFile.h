// Whole-file reads and replace-on-success writes for the file variants of clsZlib.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwerk {

// The file's bytes; nullopt when it cannot be opened or read, or is longer than maxLength.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, int64_t maxLength);

// Writes the parts, one after the other, to a temporary file beside path and renames it onto
// path; false (and path untouched, no temporary file left) when any step fails.
bool ReplaceFileWith(const std::string& path, const std::vector<const std::vector<uint8_t>*>& parts);

}  // namespace tarnwerk
