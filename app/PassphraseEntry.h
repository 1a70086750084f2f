// From a passphrase as typed to the single-byte code page form the seals take.
#pragma once

#include <string>

#include "base/Result.h"

namespace tarnwerk {

// Holds secrets and wipes them when it goes out of scope.
struct PassphraseSecrets {
    std::string bytes;  // the passphrase in the single-byte code page

    PassphraseSecrets() = default;
    PassphraseSecrets(const PassphraseSecrets&) = delete;
    PassphraseSecrets& operator=(const PassphraseSecrets&) = delete;
    ~PassphraseSecrets();
};

// Unrepresentable when the passphrase holds a character the code page cannot store (it is
// refused rather than silently replaced, or the data could never be decrypted again).
// The typed text is wiped in every case.
Status DerivePassphrase(std::string& typed, PassphraseSecrets& secrets);

}  // namespace tarnwerk
