#include "core/PayloadFormat.h"

#include "base/Helpers.h"

namespace tarnwerk {

std::string BuildPayloadHeader(bool compressed, bool encrypted, uint8_t cipher, std::string_view checkValue,
                               std::string_view extension) {
    uint8_t flags = 0;
    if (compressed) flags |= static_cast<uint8_t>(PayloadFlag::Compressed);
    if (encrypted) flags |= static_cast<uint8_t>(PayloadFlag::Encrypted);

    std::string header;
    header += static_cast<char>(flags);
    header += static_cast<char>(encrypted ? cipher : static_cast<uint8_t>(CipherIndex::None));
    if (encrypted) {
        // Readers take the field's length as fixed; a short value is padded so the extension
        // and data still start where they expect them.
        std::string check(checkValue.substr(0, kCheckValueLength));
        check.resize(kCheckValueLength, '\0');
        header += check;
    }
    std::string field = TrimBlanks(extension);
    field.resize(kExtensionFieldLength, ' ');
    header += field;
    return header;
}

}  // namespace tarnwerk
