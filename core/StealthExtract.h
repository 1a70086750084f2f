// Reading data hidden with the stealth method. Every way of not finding it - a wrong
// passphrase, a clean picture, a changed sample, a cropped or re-encoded carrier - gives the
// same NothingFound error: the reader cannot tell them apart, and neither can an examiner.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "core/SamplePlane.h"
#include "core/StealthFormat.h"
#include "core/StealthHide.h"
#include "crypto/StealthKeys.h"

namespace tarnwerk {

// Keys for the salt read from the picture (Argon2id, or precomputed keys in a benchmark).
using StealthKeySource = std::function<Result<StealthKeys>(const StealthSalt&)>;

// Errors: NothingFound, CorruptData (authentic data with flags this version does not know),
// Cancelled, and the key source's errors (Io when Argon2id cannot get its memory).
Result<StealthPayload> ExtractStealthWithKeys(const SamplePlane& plane, const StealthKeySource& keys,
                                              const StealthRun& run = {});

Result<StealthPayload> ExtractStealth(const SamplePlane& plane, std::string_view passphrase, const StealthRun& run = {},
                                      Argon2Limits limits = kArgon2StoredLimits);

// Reads the carrier file (core/StealthCarrier: bitmap or PNG; never changes it; under a shared
// advisory lock, CarrierBusy while a hide holds it) and extracts. Errors of
// StealthCarrier::Load as well.
Result<StealthPayload> ExtractStealthFromFile(const std::string& path, std::string_view passphrase,
                                              const StealthRun& run = {}, Argon2Limits limits = kArgon2StoredLimits);

}  // namespace tarnwerk
