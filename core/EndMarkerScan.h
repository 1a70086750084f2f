// The stored stream has no length field: readers end the data at the first end marker after
// the header. A payload holding the marker would come back cut short, so a hide looks for it
// first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace tarnwerk {

// True when the end marker occurs in header + the first size bytes of the file + end marker
// anywhere before the real end marker: inside the header or data, across their border, or
// formed by the data's last bytes with the start of the end marker. Reads the file with
// pread, so its file position is left alone. Errors: Io.
Result<bool> EndMarkerCutsPayload(std::string_view header, int fd, int64_t size, const std::string& path);

}  // namespace tarnwerk
