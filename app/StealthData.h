// The data file as the stealth method carries it, and back: the body's data is the file's
// bytes, or the program's stored compressed format of them, beside the flags and the
// extension field. The body lives in memory: the method's room is a fraction of a picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/AtomicOutput.h"
#include "base/Result.h"
#include "core/StealthFormat.h"

namespace tarnwerk {

// Reads dataPath (compressed first when compress is set, through a scratch file that never
// carries a name), PayloadTooLarge when the data would exceed maximum bytes: nothing beyond
// that is read into memory. progress gets the compression's percent.
Result<StealthPayload> ReadStealthPayload(const std::string& dataPath, const std::string& extension, bool compress,
                                          int64_t maximum, const std::function<void(int)>& progress = {});

// Writes the data into the output's content, decompressed when the body says so; the caller
// commits the output, so nothing gets the output's name before it is complete.
Status WriteStealthPayload(const StealthPayload& payload, AtomicOutput& output);

}  // namespace tarnwerk
