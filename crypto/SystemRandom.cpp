#include "crypto/SystemRandom.h"

#include <sys/random.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <random>

namespace tarnwerk {

namespace {

// Only when getrandom is unavailable (very old kernels, seccomp filters): the values need to be
// unpredictable rather than secret, and decryption never reads them.
void FillFallback(uint8_t* data, std::size_t size) {
    std::random_device device;
    std::mt19937_64 mixer(device() ^
                          static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(mixer() >> 56);
}

}  // namespace

void FillSystemRandom(void* data, std::size_t size) {
    auto* bytes = static_cast<uint8_t*>(data);
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = getrandom(bytes + filled, size - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            FillFallback(bytes + filled, size - filled);
            return;
        }
    }
}

uint32_t DrawEnvelopeRandom() {
    // Rejection keeps the draw uniform; fewer than one draw in 2^24 is rejected.
    for (;;) {
        uint32_t value;
        FillSystemRandom(&value, sizeof value);
        value &= 0x7FFFFFFF;
        if (value <= kEnvelopeRandomMax) return value;
    }
}

}  // namespace tarnwerk
