#include "crypto/clsBlowfish.h"

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
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Allowed,
                         [&](std::vector<uint8_t>& buffer) { return EncryptBuffer(buffer, key); });
}

Status clsBlowfish::DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                const std::string& key) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Allowed,
                         [&](std::vector<uint8_t>& buffer) { return DecryptBuffer(buffer, key); });
}

}  // namespace tarnwerk
