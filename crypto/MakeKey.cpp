// MakeKey: the 256-character cipher key derived from the passphrase digest.
#include <cstdint>
#include <limits>
#include <string>

#include "crypto/Cipher.h"
#include "crypto/RuntimeRandom.h"

namespace tarnwerk {

namespace {

constexpr std::size_t kKeyLength = 256;

// Length plus each byte times its 1-based position. The original summed in 32 bits and stopped
// with an overflow error past some thousands of characters; 64 bits keep such keys defined.
int64_t KeySeed(const std::string& s) {
    auto seed = static_cast<int64_t>(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int64_t term = static_cast<int64_t>(static_cast<uint8_t>(s[i])) * static_cast<int64_t>(i + 1);
        if (__builtin_add_overflow(seed, term, &seed)) return std::numeric_limits<int64_t>::max();
    }
    return seed;
}

std::string KeyFromSeededRandom(RuntimeRandom& random) {
    std::string key(kKeyLength, '\0');
    for (auto& c : key) c = static_cast<char>(ScaleToKeyByte(random.NextState()));
    return key;
}

}  // namespace

std::string MakeKey(const std::string& s) {
    // A fresh generator every call: the original's one process-wide generator kept its low byte
    // across seedings, so a key derived after an encryption had drawn random values differed
    // from the key a fresh extraction derives. The fresh state gives the fresh-session key always.
    RuntimeRandom random;
    random.Randomize(static_cast<double>(KeySeed(s)));
    return KeyFromSeededRandom(random);
}

std::string MakeKeyFromSeed(int32_t seed) {
    RuntimeRandom random;
    random.Randomize(static_cast<double>(seed));
    return KeyFromSeededRandom(random);
}

}  // namespace tarnwerk
