#include "app/PassphraseEntry.h"

#include <optional>

#include "config/Codepage.h"
#include "crypto/SecureWipe.h"

namespace tarnwerk {

PassphraseSecrets::~PassphraseSecrets() { SecureWipe(bytes); }

Status DerivePassphrase(std::string& typed, PassphraseSecrets& secrets) {
    std::optional<std::string> bytes = Utf8ToCp1252(typed);
    SecureWipe(typed);
    typed.clear();
    if (!bytes) return MakeError(ErrorCode::Unrepresentable);
    secrets.bytes = std::move(*bytes);
    return {};
}

}  // namespace tarnwerk
