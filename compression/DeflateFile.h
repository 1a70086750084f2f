// A whole file through deflate in pieces, with exactly the parameters compress2 uses (zlib
// format, default window and memory level, default strategy): the bytes that come out are
// those compress2 writes for the whole file at once, while memory stays at two buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Result.h"

namespace tarnwerk {

// Receives the compressed bytes in order.
using DeflateSink = std::function<Status(const uint8_t* data, size_t size)>;
// Percent of the input read, 0..100.
using DeflateProgress = std::function<void(int32_t percent)>;

// Compresses the first length bytes of fd from its current position. Returns the number of
// compressed bytes. Errors: Io (reading, or whatever the sink returns), Internal with the zlib
// code in number (an invalid level).
Result<int64_t> DeflateFile(int fd, int64_t length, const std::string& path, int level, const DeflateSink& sink,
                            const DeflateProgress& progress = {});

}  // namespace tarnwerk
