// Blowfish: tables, round function, block functions and this program's key schedule.
//
// Deviations from the published Blowfish, all kept because stored data depends on them:
//  - the published S-box words are dealt out in turn to the four boxes: S(b, x) = T[4x + b];
//  - each key word is or-folded: bytes k0, k0|k1, k0|k1|k2, k0|k1|k2|k3 from the top;
//  - key bytes cycle over all 72 bytes the 18 words take, not at most 56;
//  - a second, different key starts from the tables the first schedule left.
// P-array, round structure, F and the big-endian block words are as published.
#pragma once

#include <cstddef>
#include <cstdint>

#include "crypto/BlowfishTables.h"

namespace tarnwerk {

struct BlowfishTables {
    uint32_t P[kBlowfishPWords];
    uint32_t S[4][256];
};

// The tables a fresh clsBlowfish starts from (the dealt-out arrangement).
BlowfishTables BlowfishInitialTables();
// The published arrangement, S(b, x) = T[256b + x]; only for checking the block function
// against published Blowfish.
BlowfishTables BlowfishPublishedTables();

// This program's schedule on top of whatever the tables hold. An empty key changes nothing.
void BlowfishKeySchedule(BlowfishTables& tables, const uint8_t* key, std::size_t keyLength);

inline uint32_t BlowfishF(const BlowfishTables& t, uint32_t x) {
    return ((t.S[0][x >> 24] + t.S[1][(x >> 16) & 0xFF]) ^ t.S[2][(x >> 8) & 0xFF]) + t.S[3][x & 0xFF];
}

inline void BlowfishEncipher(const BlowfishTables& t, uint32_t& left, uint32_t& right) {
    uint32_t l = left, r = right;
    for (std::size_t i = 0; i < 16; i += 2) {
        l ^= t.P[i];
        r ^= BlowfishF(t, l) ^ t.P[i + 1];
        l ^= BlowfishF(t, r);
    }
    left = r ^ t.P[17];
    right = l ^ t.P[16];
}

// The exact inverse of BlowfishEncipher. The original decipher began with the encipher's output
// step, (R ^ P[17], L ^ P[16]), which is not its inverse and failed for every key.
inline void BlowfishDecipher(const BlowfishTables& t, uint32_t& left, uint32_t& right) {
    uint32_t l = right ^ t.P[16], r = left ^ t.P[17];
    for (std::size_t i = 16; i > 0; i -= 2) {
        l ^= BlowfishF(t, r);
        r ^= BlowfishF(t, l) ^ t.P[i - 1];
        l ^= t.P[i - 2];
    }
    left = l;
    right = r;
}

}  // namespace tarnwerk
