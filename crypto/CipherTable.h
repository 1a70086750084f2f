// The one table of ciphers: the index stored in the payload header and the Algorithmus
// setting, the word the command line takes, the name the window shows, and the factory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "crypto/Cipher.h"

namespace tarnwerk {

// Cipher byte of the header and the Algorithmus setting: part of the stored format.
enum class CipherIndex : uint8_t {
    Blowfish = 0,
    RC4 = 1,
    Skipjack = 2,
    TEA = 3,
    Twofish = 4,
    XChaCha20 = 5,
    None = 255,  // stored when the data is not encrypted
};

// How a payload file is sealed: the envelope keyed with MakeKey of the passphrase digest, or
// XChaCha20-Poly1305 keyed with Argon2id of the passphrase and a salt (see clsXChaCha20.h).
enum class Sealing { LegacyEnvelope, Authenticated };

struct CipherDescriptor {
    CipherIndex index;
    const char* cliName;      // lower case, as the command line takes it
    const char* displayName;  // not translated
    Sealing sealing;
    std::size_t blockSize;  // of the envelope; 0 for a stream without one
    bool emptyAllowed;      // whether an empty file is encrypted rather than refused
    std::unique_ptr<Cipher> (*create)();
};

// Every cipher in the order of its stored index (0 .. 5): entries are only ever appended.
std::span<const CipherDescriptor> CipherTable();

// The entry for a stored index; every index outside the table decrypts and encrypts with
// Blowfish, as stored data made with such a value expects.
const CipherDescriptor& DescribeCipher(uint8_t index);

}  // namespace tarnwerk
