// Helpers of the crypto tests: vector files, hex, replayable seeds.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace tarnwerk::test {

inline std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::string AsString(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// One line of a vector file: name=value fields, values either hex or "quoted text".
using Vector = std::map<std::string, std::string>;

#ifdef TARNWERK_CRYPTO_VECTORS
inline std::vector<Vector> LoadVectors(const std::string& name) {
    std::ifstream in(std::string(TARNWERK_CRYPTO_VECTORS) + "/" + name);
    EXPECT_TRUE(in) << "missing vector file " << name;
    const std::regex field(R"re((\w+)=(?:"([^"]*)"|(\S+)))re");
    std::vector<Vector> vectors;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        Vector v;
        for (std::sregex_iterator m(line.begin(), line.end(), field), end; m != end; ++m)
            v[(*m)[1]] = (*m)[2].matched ? (*m)[2].str() : (*m)[3].str();
        vectors.push_back(v);
    }
    EXPECT_FALSE(vectors.empty()) << name;
    return vectors;
}
#endif

// TARNWERK_TEST_SEED=<n> replays a run; the seed in use is always printed.
inline std::mt19937_64 SeededGenerator() {
    const char* fixed = std::getenv("TARNWERK_TEST_SEED");
    const uint64_t seed = fixed ? std::strtoull(fixed, nullptr, 10)
                                : (uint64_t{std::random_device{}()} << 32) | std::random_device{}();
    std::cout << "seed: TARNWERK_TEST_SEED=" << seed << "\n";
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    return std::mt19937_64(seed);
}

inline std::vector<uint8_t> RandomBytes(std::mt19937_64& random, std::size_t size) {
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

}  // namespace tarnwerk::test
