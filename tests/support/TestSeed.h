// The seed of a randomised test: the same on every run unless TARNWERK_TEST_SEED=<n> names
// another, to explore more inputs or to replay a run. Printed with the test's output and kept
// in its XML report, so a failure always names the seed that found it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarnwerk::test {

inline constexpr uint64_t kDefaultTestSeed = 20261207;

inline uint64_t TestSeed() {
    uint64_t seed = kDefaultTestSeed;
    if (const char* chosen = std::getenv("TARNWERK_TEST_SEED"); chosen != nullptr && *chosen != '\0') {
        char* end = nullptr;
        seed = std::strtoull(chosen, &end, 10);
        if (*end != '\0') ADD_FAILURE() << "TARNWERK_TEST_SEED is no decimal number: " << chosen;
    }
    std::printf("[   SEED   ] TARNWERK_TEST_SEED=%llu\n", static_cast<unsigned long long>(seed));
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    return seed;
}

}  // namespace tarnwerk::test
