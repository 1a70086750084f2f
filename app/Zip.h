// Packing the carrier into a zip archive for mailing (libzip).
#pragma once

#include <functional>
#include <string>

#include "base/Result.h"

namespace tarnwerk {

// Adds the file to the archive under entryName, replacing an entry of that name; creates the
// archive when it does not exist. libzip writes a new archive beside the old one and renames
// it only when complete, so on failure an existing archive is left as it was.
// progress, when given, gets 0..100 while the archive is written (a window repaints there).
Status AddFileToZip(const std::string& archivePath, const std::string& filePath, const std::string& entryName,
                    const std::function<void(int)>& progress = {});

}  // namespace tarnwerk
