// Sealing and opening a payload file with a passphrase, whatever the cipher: the workflows
// pick the seal by the header's cipher byte and hold no cipher of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace tarnwerk {

// What a seal needs besides the files.
struct SealKey {
    std::string_view passphrase;  // bytes in the single-byte code page
    std::string_view checkValue;  // the header's 16-byte check field
    std::string_view header;      // the header bytes as stored (flags, cipher, check field, extension)
};

// How a seal reports its work while it runs.
struct SealCallbacks {
    // Each chunk's progress, 0..100. It may throw to stop between two chunks; the seal's output
    // is then left untouched.
    std::function<void(int percent)> progress;
    // Wraps a slow key derivation (Argon2id), so the caller can show the step on its own; it
    // must call derive and return its result. Seals that derive no key never call it.
    std::function<Status(const std::function<Status()>& derive)> deriveKey;
};

class PayloadSeal {
public:
    virtual ~PayloadSeal() = default;

    // The check field of a new payload's header: the passphrase digest for the envelope
    // ciphers, a fresh random salt for the authenticated one.
    virtual Result<std::string> NewCheckValue(std::string_view passphrase) = 0;

    // Writes the sealed form of inPath to outPath (replaced as a whole, or left untouched on
    // failure).
    Status Seal(const std::string& inPath, const std::string& outPath, const SealKey& key,
                const SealCallbacks& callbacks = {}) {
        return DoSeal(inPath, outPath, key, callbacks);
    }
    // Fails with WrongKey when the passphrase does not open the data (and writes nothing);
    // other codes mean the data is damaged or a file could not be read or written.
    Status Open(const std::string& inPath, const std::string& outPath, const SealKey& key,
                const SealCallbacks& callbacks = {}) {
        return DoOpen(inPath, outPath, key, callbacks);
    }

    // Length of the sealed form of plainSize bytes, from the layout alone; fails as Seal
    // would on such input.
    virtual Result<int64_t> SealedLength(int64_t plainSize) const = 0;

    // Whether another Seal of the same input gives other bytes (random values or a nonce).
    virtual bool Randomised() const = 0;

private:
    virtual Status DoSeal(const std::string& inPath, const std::string& outPath, const SealKey& key,
                          const SealCallbacks& callbacks) = 0;
    virtual Status DoOpen(const std::string& inPath, const std::string& outPath, const SealKey& key,
                          const SealCallbacks& callbacks) = 0;
};

// The seal for a stored cipher byte (every unknown value seals with Blowfish).
std::unique_ptr<PayloadSeal> SealFor(uint8_t cipherIndex);

// The 16-byte passphrase digest the envelope ciphers store and key themselves from.
std::string PassphraseDigest(std::string_view passphrase);

}  // namespace tarnwerk
