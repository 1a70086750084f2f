// The two random values at the start of an encrypted block-cipher buffer. They take the place
// of an initialisation vector, so they come from the operating system, not from a clock seed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwerk {

// The largest value the original could store: the runtime's largest draw times 2147483647.
constexpr uint32_t kEnvelopeRandomMax = 2147483519;

// Uniform in 0..kEnvelopeRandomMax.
uint32_t DrawEnvelopeRandom();

// Raw bytes from the operating system (used for unique scratch names as well).
void FillSystemRandom(void* data, std::size_t size);

}  // namespace tarnwerk
