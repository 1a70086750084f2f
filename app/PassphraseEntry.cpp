#include "app/PassphraseEntry.h"

#include <optional>

#include "config/Codepage.h"
#include "config/Helpers.h"
#include "crypto/Cipher.h"
#include "crypto/SecureWipe.h"
#include "crypto/clsMD5.h"

namespace tarnwerk {

PassphraseSecrets::~PassphraseSecrets() {
    SecureWipe(bytes);
    SecureWipe(digest);
    SecureWipe(key);
}

Status DerivePassphrase(std::string& typed, PassphraseSecrets& secrets) {
    std::optional<std::string> bytes = Utf8ToCp1252(typed);
    SecureWipe(typed);
    typed.clear();
    if (!bytes) return MakeError(ErrorCode::Unrepresentable);
    DeriveFromBytes(*bytes, secrets);
    SecureWipe(*bytes);
    return {};
}

void DeriveFromBytes(const std::string& bytes, PassphraseSecrets& secrets) {
    secrets.bytes = bytes;
    clsMD5 md5;
    std::string hex = md5.DigestStrToHexStr(bytes);
    secrets.digest = HexToBin(hex);
    SecureWipe(hex);
    secrets.key = MakeKey(secrets.digest);
}

}  // namespace tarnwerk
