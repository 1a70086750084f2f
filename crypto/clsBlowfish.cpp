#include "crypto/clsBlowfish.h"

#include "crypto/HexText.h"
#include "crypto/SecureWipe.h"

namespace tarnwerk {

template class BlockCipherEnvelope<clsBlowfish>;

clsBlowfish::clsBlowfish() : tables_(BlowfishInitialTables()) {}

clsBlowfish::~clsBlowfish() {
    SecureWipeObject(tables_);
    SecureWipe(keyString_);
}

void clsBlowfish::SetKey(const std::string& key) {
    // The original failed on an empty key once keyed (no key bytes to cycle through).
    if (key == keyString_ || key.empty()) return;
    SecureWipe(keyString_);
    keyString_ = key;
    BlowfishKeySchedule(tables_, reinterpret_cast<const uint8_t*>(key.data()), key.size());
}

Status clsBlowfish::EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                const std::string& key) {
    return EncryptFile(inPath, outPath, overwrite, key, false);
}

Status clsBlowfish::DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                const std::string& key) {
    return DecryptFile(inPath, outPath, overwrite, key, false);
}

Status clsBlowfish::EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                const std::string& key, bool inHex) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Allowed, [&](std::vector<uint8_t>& buffer) {
        Status status = EncryptBuffer(buffer, key);
        if (status && inHex) {
            const std::string hex = ToHexText(buffer.data(), buffer.size());
            buffer.assign(hex.begin(), hex.end());
        }
        return status;
    });
}

Status clsBlowfish::DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                const std::string& key, bool inHex) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Allowed, [&](std::vector<uint8_t>& buffer) -> Status {
        if (inHex) {
            auto bytes = FromHexText(std::string(buffer.begin(), buffer.end()));
            if (!bytes) return MakeError(ErrorCode::CorruptData, "the file is not in hexadecimal form");
            buffer = std::move(*bytes);
        }
        return DecryptBuffer(buffer, key);
    });
}

}  // namespace tarnwerk
