// Replays every input a fuzzer ever failed on (tests/fuzz-regress/<target>/<name>) and the
// freshly generated seed corpus through the same entry functions the fuzz targets call, so
// the normal and the sanitizer suites keep every crash fixed.
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

TEST_P(FuzzReplay, KeptCrashInputsStayFixed) {
    Replay(GetParam(), fs::path(TARNWERK_FUZZ_REGRESS_DIR) / std::string(GetParam().name));
}

// One corpus for all targets: writing it costs more than replaying it.
struct WrittenCorpus {
    test::TempDir dir;
    bool written = WriteSeedCorpus(dir.path());
};

const WrittenCorpus& SeedCorpus() {
    static const WrittenCorpus corpus;
    return corpus;
}

TEST_P(FuzzReplay, SeedInputsKeepEveryRule) {
    ASSERT_TRUE(SeedCorpus().written);
    const size_t seeds = Replay(GetParam(), fs::path(SeedCorpus().dir.path()) / ("corpus-" + std::string(GetParam().name)));
    EXPECT_GT(seeds, 0u) << "the target has no seeds";
}

TEST(FuzzReplay, EveryKeptFolderBelongsToATarget) {
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(TARNWERK_FUZZ_REGRESS_DIR, missing))
        EXPECT_TRUE(!entry.is_directory() || FindTarget(entry.path().filename().string())) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(AllTargets().begin(), AllTargets().end()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& target) { return std::string(target.param.name); });

}  // namespace
}  // namespace tarnwerk::fuzz
