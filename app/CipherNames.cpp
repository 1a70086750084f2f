#include "app/CipherNames.h"

#include <array>

namespace tarnwerk {

namespace {
constexpr std::array<const char*, kCipherCount> kNames = {"Blowfish", "RC4",     "Skipjack",
                                                          "TEA",      "Twofish", "XChaCha20-Poly1305"};
constexpr std::array<const char*, kCipherCount> kOptionNames = {"blowfish", "rc4",     "skipjack",
                                                                "tea",      "twofish", "xchacha20"};
}

std::string CipherName(int index) {
    if (index < 0 || index >= kCipherCount) return kNames[0];
    return kNames[static_cast<std::size_t>(index)];
}

std::string CipherOptionName(int index) {
    if (index < 0 || index >= kCipherCount) return kOptionNames[0];
    return kOptionNames[static_cast<std::size_t>(index)];
}

}  // namespace tarnwerk
