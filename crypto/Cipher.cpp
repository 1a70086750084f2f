#include "crypto/Cipher.h"

#include "crypto/HexText.h"
#include "crypto/clsBlowfish.h"
#include "crypto/clsRC4.h"
#include "crypto/clsSkipjack.h"
#include "crypto/clsTEA.h"
#include "crypto/clsTwofish.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {

namespace {

// Cipher indices as stored in the payload header; part of the file format.
enum class CipherIndex : uint8_t { Blowfish = 0, RC4 = 1, Skipjack = 2, TEA = 3, Twofish = 4, XChaCha20 = 5 };

// Every index outside the table falls back to Blowfish, as the original chose.
bool CreatesBlowfish(uint8_t cipherIndex) {
    return cipherIndex == static_cast<uint8_t>(CipherIndex::Blowfish) ||
           cipherIndex > static_cast<uint8_t>(CipherIndex::XChaCha20);
}

}  // namespace

std::unique_ptr<Cipher> CreateCipher(uint8_t cipherIndex) {
    switch (static_cast<CipherIndex>(cipherIndex)) {
        case CipherIndex::RC4:
            return std::make_unique<clsRC4>();
        case CipherIndex::Skipjack:
            return std::make_unique<clsSkipjack>();
        case CipherIndex::TEA:
            return std::make_unique<clsTEA>();
        case CipherIndex::Twofish:
            return std::make_unique<clsTwofish>();
        case CipherIndex::XChaCha20:
            return std::make_unique<clsXChaCha20>();
        default:
            return std::make_unique<clsBlowfish>();  // any other value, as the original chose
    }
}

Result<int64_t> EncryptedLength(uint8_t cipherIndex, int64_t plainSize) {
    const auto index = static_cast<CipherIndex>(cipherIndex);
    const bool emptyAllowed = index == CipherIndex::XChaCha20 || CreatesBlowfish(cipherIndex);
    if (plainSize == 0 && !emptyAllowed) return MakeError(ErrorCode::Io, "the input file is empty");
    switch (index) {
        case CipherIndex::RC4:
            return plainSize;
        case CipherIndex::XChaCha20:
            return plainSize + static_cast<int64_t>(kXChaChaOverhead);
        default:
            break;
    }
    if (plainSize > static_cast<int64_t>(kEnvelopeMaxPlain))
        return MakeError(ErrorCode::Io, "the file is too large for the encrypted format");
    const std::size_t block = index == CipherIndex::Twofish    ? clsTwofish::kBlockSize
                              : index == CipherIndex::Skipjack ? clsSkipjack::kBlockSize
                              : index == CipherIndex::TEA      ? clsTEA::kBlockSize
                                                               : clsBlowfish::kBlockSize;
    return static_cast<int64_t>(EnvelopeLength(static_cast<std::size_t>(plainSize), block));
}

std::string Cipher::EncryptString(const std::string& text, const std::string& key, bool outputInHex) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    EncryptByte(bytes, key);
    if (outputInHex) return ToHexText(bytes.data(), bytes.size());
    return {bytes.begin(), bytes.end()};
}

Result<std::string> Cipher::DecryptString(std::string& text, const std::string& key, bool isTextInHex) {
    std::vector<uint8_t> bytes;
    if (isTextInHex) {
        auto converted = FromHexText(text);
        if (!converted) return MakeError(ErrorCode::CorruptData, "the text is not in hexadecimal form");
        bytes = std::move(*converted);
        text.assign(bytes.begin(), bytes.end());
    } else {
        bytes.assign(text.begin(), text.end());
    }
    if (!DecryptByte(bytes, key)) return MakeError(ErrorCode::WrongKey, "incorrect size descriptor");
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace tarnwerk
