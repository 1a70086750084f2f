// Helpers of the crypto tests: vector files, hex, replayable seeds.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
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
    std::vector<Vector> vectors;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        Vector v;
        std::size_t pos = 0;
        while (pos < line.size()) {
            const auto eq = line.find('=', pos);
            if (eq == std::string::npos) break;
            const std::string key = line.substr(pos, eq - pos);
            std::size_t end;
            if (line[eq + 1] == '"') {
                end = line.find('"', eq + 2);
                v[key] = line.substr(eq + 2, end - eq - 2);
                ++end;
            } else {
                end = line.find(' ', eq);
                if (end == std::string::npos) end = line.size();
                v[key] = line.substr(eq + 1, end - eq - 1);
            }
            pos = line.find_first_not_of(' ', end);
            if (pos == std::string::npos) break;
        }
        vectors.push_back(v);
    }
    EXPECT_FALSE(vectors.empty()) << name;
    return vectors;
}
#endif

// TARNWERK_TEST_SEED=<n> replays a run; the seed in use is always printed.
inline std::mt19937_64 SeededGenerator() {
    uint64_t seed;
    if (const char* fixed = std::getenv("TARNWERK_TEST_SEED")) {
        seed = std::strtoull(fixed, nullptr, 10);
    } else {
        seed = (uint64_t{std::random_device{}()} << 32) | std::random_device{}();
    }
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
