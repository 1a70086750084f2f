// From a passphrase as typed to what the stored format needs: its single-byte code page form,
// the 16-byte digest the header keeps, and the key string the stored-format ciphers take.
#pragma once

#include <string>

#include "config/Result.h"

namespace tarnwerk {

// Holds secrets and wipes them when it goes out of scope.
struct PassphraseSecrets {
    std::string bytes;   // the passphrase in the single-byte code page
    std::string digest;  // 16 bytes: MD5 of bytes
    std::string key;     // 256 characters: MakeKey of digest

    PassphraseSecrets() = default;
    PassphraseSecrets(const PassphraseSecrets&) = delete;
    PassphraseSecrets& operator=(const PassphraseSecrets&) = delete;
    ~PassphraseSecrets();
};

// Unrepresentable when the passphrase holds a character the code page cannot store (it is
// refused rather than silently replaced, or the data could never be decrypted again).
// The typed text is wiped in every case.
Status DerivePassphrase(std::string& typed, PassphraseSecrets& secrets);

// The same from passphrase bytes that are already in the code page (the trial passphrase).
void DeriveFromBytes(const std::string& bytes, PassphraseSecrets& secrets);

}  // namespace tarnwerk
