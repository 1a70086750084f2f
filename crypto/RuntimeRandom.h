// The seeded pseudo-random generator of the forms runtime the stored keys were derived with:
// a 24-bit linear congruential state. Reproducing it exactly is what lets a key derived today
// decrypt data hidden by the original program.
#pragma once

#include <cstdint>

namespace tarnwerk {

struct RuntimeRandom {
    static constexpr uint32_t kInitialState = 0x50000;
    static constexpr uint32_t kMultiplier = 1140671485;
    static constexpr uint32_t kIncrement = 12820163;
    static constexpr uint32_t kStateMask = 0xFFFFFF;   // the state is 24 bits wide
    static constexpr double kStateRange = 16777216.0;  // 2^24

    uint32_t state = kInitialState;

    // Randomize with a number: mixes the upper half of its IEEE-754 double into the state's
    // upper 16 bits and keeps the state's low byte.
    void Randomize(double seed);
    // Advances and returns the new 24-bit state; the runtime's value is state / 2^24.
    uint32_t NextState();
    // The runtime's single-precision value in [0, 1).
    float Next();
};

// A key byte from a state: round(state / 2^24 * 255), halves to even. The single-precision
// value times 255 is exact in double, so integer arithmetic gives the same rounding.
uint8_t ScaleToKeyByte(uint32_t state);

}  // namespace tarnwerk
