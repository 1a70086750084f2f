// Twofish's fixed tables, generated at compile time from their definitions in the Twofish
// paper (Schneier, Kelsey, Whiting, Wagner, Hall, Ferguson, 1998): q0 and q1 from the 4-bit
// t-tables of section 4.3.5, the MDS tables from the matrix of section 4.2 over GF(2^8) with
// the polynomial x^8 + x^6 + x^5 + x^3 + 1 (169 hex), multiplied as the reference code does.
#pragma once

#include <array>
#include <cstdint>

namespace tarnwerk::twofish {

using TTables = std::array<std::array<uint8_t, 16>, 4>;

// The t0..t3 tables of q0 and of q1.
inline constexpr TTables kQ0T = {{
    {0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4},
    {0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD},
    {0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1},
    {0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA},
}};
inline constexpr TTables kQ1T = {{
    {0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5},
    {0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8},
    {0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF},
    {0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA},
}};

constexpr uint8_t Ror4(uint8_t x) { return static_cast<uint8_t>(((x >> 1) | (x << 3)) & 0xF); }

// One q permutation: two rounds of a 4-bit Feistel-like mixing over the t-tables.
constexpr uint8_t QPermute(const TTables& t, uint8_t x) {
    uint8_t a = static_cast<uint8_t>(x >> 4), b = static_cast<uint8_t>(x & 0xF);
    for (int half = 0; half < 2; ++half) {
        const auto a1 = static_cast<uint8_t>(a ^ b);
        const auto b1 = static_cast<uint8_t>((a ^ Ror4(b) ^ (8 * a)) & 0xF);
        a = t[2 * half][a1];
        b = t[2 * half + 1][b1];
    }
    return static_cast<uint8_t>((b << 4) | a);
}

constexpr std::array<std::array<uint8_t, 256>, 2> MakeQ() {
    std::array<std::array<uint8_t, 256>, 2> q{};
    for (int i = 0; i < 256; ++i) {
        q[0][i] = QPermute(kQ0T, static_cast<uint8_t>(i));
        q[1][i] = QPermute(kQ1T, static_cast<uint8_t>(i));
    }
    return q;
}

inline constexpr auto kQ = MakeQ();  // kQ[0] = q0, kQ[1] = q1

// The reference code's shift-and-reduce steps for the MDS polynomial 169 hex.
constexpr uint8_t MdsStep1(uint8_t x) { return static_cast<uint8_t>((x >> 1) ^ ((x & 1) ? 0xB4 : 0)); }
constexpr uint8_t MdsStep2(uint8_t x) {
    return static_cast<uint8_t>((x >> 2) ^ ((x & 2) ? 0xB4 : 0) ^ ((x & 1) ? 0x5A : 0));
}
constexpr uint8_t Mul5B(uint8_t x) { return static_cast<uint8_t>(x ^ MdsStep2(x)); }
constexpr uint8_t MulEF(uint8_t x) { return static_cast<uint8_t>(x ^ MdsStep1(x) ^ MdsStep2(x)); }

// The MDS matrix: row r, column c.
inline constexpr uint8_t kMds[4][4] = {
    {0x01, 0xEF, 0x5B, 0x5B},
    {0x5B, 0xEF, 0xEF, 0x01},
    {0xEF, 0x5B, 0x01, 0xEF},
    {0xEF, 0x01, 0xEF, 0x5B},
};

constexpr uint8_t MdsMultiply(uint8_t factor, uint8_t x) {
    return factor == 0x01 ? x : factor == 0x5B ? Mul5B(x) : MulEF(x);
}

// Table j: MDS column j applied to the last q-permutation of byte position j (q1 for 0 and 2,
// q0 for 1 and 3), as a little-endian word.
constexpr std::array<std::array<uint32_t, 256>, 4> MakeMdsTables() {
    std::array<std::array<uint32_t, 256>, 4> tables{};
    constexpr int kLastQ[4] = {1, 0, 1, 0};
    for (int column = 0; column < 4; ++column) {
        for (int i = 0; i < 256; ++i) {
            const uint8_t y = kQ[kLastQ[column]][i];
            uint32_t word = 0;
            for (int row = 0; row < 4; ++row) word |= uint32_t{MdsMultiply(kMds[row][column], y)} << (8 * row);
            tables[column][i] = word;
        }
    }
    return tables;
}

inline constexpr auto kMdsTables = MakeMdsTables();

}  // namespace tarnwerk::twofish
