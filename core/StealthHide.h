// Hiding with the stealth method: keyed order, HILL costs, syndrome-trellis coding, +-1 changes,
// XChaCha20-Poly1305 sealing; see docs/stealth-format.md. No Qt, no user-visible text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "core/SamplePlane.h"
#include "core/StealthFormat.h"
#include "core/StealthRun.h"
#include "crypto/StealthKeys.h"

namespace tarnwerk {

struct StealthHideStats {
    uint64_t messageBits = 0;  // salt, header and body bits embedded
    uint64_t changes = 0;
    double distortion = 0;  // sum of the HILL costs of the changed samples
};

// Hides payload in plane with keys derived from salt (split from Argon2id so that a caller
// with many pictures, or a benchmark, derives once). Errors: CarrierTooSmall, PayloadTooLarge
// (more than the maximum room of core/StealthRoom), Cancelled (plane then partly changed: the
// caller discards it), Io.
// bodyHeight: the body's constraint height (kMinBodyHeight..kMaxBodyHeight; stored in the
// header), for measuring the coding; everything else writes kBodyHeight.
Result<StealthHideStats> HideStealthWithKeys(SamplePlane& plane, const StealthSalt& salt, const StealthKeys& keys,
                                             const StealthPayload& payload, const StealthRun& run = {},
                                             int bodyHeight = kBodyHeight);

// Costs the picture, checks the room, then draws a salt, derives the keys from the passphrase
// and hides.
Result<StealthHideStats> HideStealth(SamplePlane& plane, std::string_view passphrase, const StealthPayload& payload,
                                     const StealthRun& run = {}, Argon2Limits limits = kArgon2StoredLimits);

// The whole carrier file (core/StealthCarrier: bitmap or PNG): read, hide, write the result to
// target (which may be the carrier itself) in one step, a file beside it renamed over it, so
// no file is ever half written. Holds the exclusive advisory lock of a classic hide on the
// carrier meanwhile (CarrierBusy when another process holds it). Errors of
// StealthCarrier::Load and HideStealth as well.
Status HideStealthInFile(const std::string& path, const std::string& target, std::string_view passphrase,
                         const StealthPayload& payload, const StealthRun& run = {},
                         Argon2Limits limits = kArgon2StoredLimits);

}  // namespace tarnwerk
