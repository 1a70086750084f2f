// Replays every input a fuzzer ever failed on (tests/fuzz-regress/<target>/<name>) and the seed
// corpus through the entry functions the fuzz targets call.
#include <filesystem>

#include <gtest/gtest.h>

#include "fuzz/FuzzEntries.h"
#include "fuzz/SeedCorpus.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::fuzz {
namespace {

namespace fs = std::filesystem;

// Runs every file of folder (a missing folder has none) through the target; returns how many.
size_t Replay(const FuzzTarget& target, const fs::path& folder) {
    const ScratchDir scratch;
    std::error_code missing;
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder, missing)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        EXPECT_EQ(target.run(test::ReadFile(entry.path().string()), scratch), "") << entry.path();
        EXPECT_TRUE(scratch.Entries().empty()) << entry.path() << ": the entry left files behind";
    }
    return files;
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

// Every target keeps inputs; a missing or empty folder would make this test pass on nothing.
TEST_P(FuzzReplay, KeptCrashInputsStayFixed) {
    EXPECT_GT(Replay(GetParam(), fs::path(TARNWERK_FUZZ_REGRESS_DIR) / std::string(GetParam().name)), 0u)
        << "no kept inputs under tests/fuzz-regress/" << GetParam().name;
}

TEST_P(FuzzReplay, SeedInputsKeepEveryRule) {
    static const test::TempDir corpus;  // one corpus for all targets: writing it costs more than replaying it
    static const bool written = WriteSeedCorpus(corpus.path());
    ASSERT_TRUE(written);
    EXPECT_GT(Replay(GetParam(), fs::path(corpus.path()) / ("corpus-" + std::string(GetParam().name))), 0u)
        << "the target has no seeds";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(AllTargets().begin(), AllTargets().end()),
                         [](const auto& target) { return std::string(target.param.name); });

}  // namespace
}  // namespace tarnwerk::fuzz
