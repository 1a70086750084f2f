// Whole-file reads and safe replacement for the cipher file members.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/Result.h"

namespace tarnwerk {

// Something (file, folder, ...) exists at the path.
bool PathExists(const std::string& path);

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// Writes to a new file beside the path and renames it over the path once it is complete and
// flushed, so a failed write never leaves a truncated file or removes the old one.
Status ReplaceFileContent(const std::string& path, const uint8_t* data, std::size_t size);

}  // namespace tarnwerk
