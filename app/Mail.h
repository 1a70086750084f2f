// Handing the carrier (optionally packed into a zip archive beside it) to the mail program.
#pragma once

#include <string>

namespace tarnwerk {

// The carrier path without its extension and dot, followed by ".zip".
std::string ArchiveNameFor(const std::string& carrierPath);

}  // namespace tarnwerk
