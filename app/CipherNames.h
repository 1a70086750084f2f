// The cipher names by the index the settings and the payload header store. The one table
// the status bar, the options list and the command line read.
#pragma once

#include <string>

namespace tarnwerk {

inline constexpr int kCipherCount = 6;  // 0 Blowfish .. 5 XChaCha20-Poly1305

// "RC4" for 1, "Skipjack" 2, "TEA" 3, "Twofish" 4, "XChaCha20-Poly1305" 5, else "Blowfish"
// (every other value decrypts and encrypts with Blowfish).
std::string CipherName(int index);

// The lower-case word the command line takes for index 0 to 5 ("blowfish" ... "xchacha20").
std::string CipherOptionName(int index);

}  // namespace tarnwerk
