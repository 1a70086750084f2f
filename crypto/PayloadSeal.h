// Sealing and opening a payload file with a passphrase, whatever the cipher: the workflows
// pick the seal by the header's cipher byte and hold no cipher of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config/Result.h"

namespace tarnwerk {

// What a seal needs besides the files.
struct SealKey {
    std::string_view passphrase;  // bytes in the single-byte code page
    std::string_view checkValue;  // the header's 16-byte check field
    std::string_view header;      // the header bytes as stored (flags, cipher, check field, extension)
};

class PayloadSeal {
public:
    virtual ~PayloadSeal() = default;

    // The check field of a new payload's header: the passphrase digest for the envelope
    // ciphers, a fresh random salt for the authenticated one.
    virtual Result<std::string> NewCheckValue(std::string_view passphrase) = 0;

    // Writes the sealed form of inPath to outPath (replaced as a whole, or left untouched on
    // failure).
    virtual Status Seal(const std::string& inPath, const std::string& outPath, const SealKey& key) = 0;
    // Fails with WrongKey when the passphrase does not open the data (and writes nothing);
    // other codes mean the data is damaged or a file could not be read or written.
    virtual Status Open(const std::string& inPath, const std::string& outPath, const SealKey& key) = 0;

    // Length of the sealed form of plainSize bytes, from the layout alone; fails as Seal
    // would on such input.
    virtual Result<int64_t> SealedLength(int64_t plainSize) const = 0;

    // Whether another Seal of the same input gives other bytes (random values or a nonce).
    virtual bool Randomised() const = 0;
};

// The seal for a stored cipher byte (every unknown value seals with Blowfish).
std::unique_ptr<PayloadSeal> SealFor(uint8_t cipherIndex);

// The 16-byte passphrase digest the envelope ciphers store and key themselves from.
std::string PassphraseDigest(std::string_view passphrase);

}  // namespace tarnwerk
