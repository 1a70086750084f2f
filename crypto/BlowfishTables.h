// Blowfish's published constants: the hexadecimal fraction digits of pi.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwerk {

constexpr std::size_t kBlowfishPWords = 18;
constexpr std::size_t kBlowfishSWords = 4 * 256;

// The P-array in its published order (P[0] = 243F6A88, P[17] = 8979FB1B).
extern const uint32_t kBlowfishPiP[kBlowfishPWords];
// The four S-boxes in their published order, box 1 entries 0..255 first (T[0] = D1310BA6).
extern const uint32_t kBlowfishPiS[kBlowfishSWords];

}  // namespace tarnwerk
