#include "crypto/Cipher.h"

#include "crypto/CipherTable.h"

namespace tarnwerk {

std::unique_ptr<Cipher> CreateCipher(uint8_t cipherIndex) { return DescribeCipher(cipherIndex).create(); }

}  // namespace tarnwerk
