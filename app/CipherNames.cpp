#include "app/CipherNames.h"

#include <array>

namespace tarnwerk {

namespace {
constexpr std::array<const char*, kCipherCount> kNames = {"Blowfish", "RC4",     "Skipjack",
                                                          "TEA",      "Twofish", "XChaCha20-Poly1305"};
}

std::string CipherName(int index) {
    if (index < 0 || index >= kCipherCount) return kNames[0];
    return kNames[static_cast<std::size_t>(index)];
}

}  // namespace tarnwerk
