#include "crypto/RuntimeRandom.h"

#include <bit>

namespace tarnwerk {

void RuntimeRandom::Randomize(double seed) {
    const auto high = static_cast<uint32_t>(std::bit_cast<uint64_t>(seed) >> 32);
    const uint32_t mixed = ((high & 0xFFFF) ^ (high >> 16)) << 8;
    state = (state & 0xFF) | (mixed & 0xFFFF00);
}

uint32_t RuntimeRandom::NextState() {
    state = (state * kMultiplier + kIncrement) & kStateMask;
    return state;
}

float RuntimeRandom::Next() { return static_cast<float>(NextState()) / static_cast<float>(kStateRange); }

uint8_t ScaleToKeyByte(uint32_t state) {
    const uint32_t scaled = (state & RuntimeRandom::kStateMask) * 255;  // < 2^32
    uint32_t whole = scaled >> 24;
    const uint32_t fraction = scaled & RuntimeRandom::kStateMask;
    constexpr uint32_t kHalf = 1u << 23;
    if (fraction > kHalf || (fraction == kHalf && (whole & 1) != 0)) ++whole;
    return static_cast<uint8_t>(whole);
}

}  // namespace tarnwerk
