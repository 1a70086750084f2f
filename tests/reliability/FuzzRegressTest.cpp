// Replays every input a fuzzer ever failed on (tests/fuzz-regress/<target>/<name>) and the
// freshly generated seed corpus through the same entry functions the fuzz targets call, so
// the normal and the sanitizer suites keep every crash fixed.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/FuzzEntries.h"
#include "fuzz/SeedCorpus.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Runs every file of folder through the target; returns how many there were.
size_t Replay(const FuzzTarget& target, const fs::path& folder) {
    const ScratchDir scratch;
    const auto files = FilesIn(folder);
    for (const auto& file : files) {
        const test::Bytes input = test::ReadFile(file.string());
        EXPECT_EQ(target.run(input, scratch), "") << file;
        EXPECT_TRUE(scratch.Entries().empty()) << file << ": the entry left files behind";
    }
    return files.size();
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
    for (const auto& entry : fs::directory_iterator(TARNWERK_FUZZ_REGRESS_DIR, missing)) {
        if (entry.is_directory()) {
            EXPECT_NE(FindTarget(entry.path().filename().string()), nullptr) << entry.path();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(AllTargets().begin(), AllTargets().end()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& target) { return std::string(target.param.name); });

}  // namespace
}  // namespace tarnwerk::fuzz
