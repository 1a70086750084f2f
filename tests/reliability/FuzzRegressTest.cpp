// Replays every input a fuzzer ever failed on (tests/fuzz-regress/<target>/<name>), one named
// row per input, and the seed corpus through the entry functions the fuzz targets call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "fuzz/FuzzEntries.h"
#include "fuzz/SeedCorpus.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path kKeptInputs = TARNWERK_FUZZ_REGRESS_DIR;

// The regular files of folder (a missing folder has none), sorted.
std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Runs the file through the target: no broken rule, no file left behind.
void Replay(const FuzzTarget& target, const fs::path& file) {
    const ScratchDir scratch;
    EXPECT_EQ(target.run(test::ReadFile(file.string()), scratch), "") << file;
    EXPECT_TRUE(scratch.Entries().empty()) << file << ": the entry left files behind";
}

struct KeptInput {
    const FuzzTarget* target;
    fs::path file;
};
void PrintTo(const KeptInput& row, std::ostream* out) { *out << row.target->name << "/" << row.file.filename(); }

std::vector<KeptInput> KeptInputs() {
    std::vector<KeptInput> rows;
    for (const FuzzTarget& target : AllTargets())
        for (const fs::path& file : FilesIn(kKeptInputs / std::string(target.name))) rows.push_back({&target, file});
    return rows;
}

// "png/image-data-ends-early" -> "png_image_data_ends_early".
std::string RowName(const ::testing::TestParamInfo<KeptInput>& row) {
    std::string name = std::string(row.param.target->name) + "_" + row.param.file.filename().string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

class FuzzReplay : public ::testing::TestWithParam<KeptInput> {};

TEST_P(FuzzReplay, KeptCrashInputStaysFixed) { Replay(*GetParam().target, GetParam().file); }

INSTANTIATE_TEST_SUITE_P(Kept, FuzzReplay, ::testing::ValuesIn(KeptInputs()), RowName);

// A missing or empty folder would let the replay pass on nothing.
TEST(FuzzRegress, EveryTargetKeepsInputs) {
    for (const FuzzTarget& target : AllTargets())
        EXPECT_FALSE(FilesIn(kKeptInputs / std::string(target.name)).empty())
            << "no kept inputs under tests/fuzz-regress/" << target.name;
}

std::vector<std::string> TargetNames() {
    std::vector<std::string> names;
    for (const FuzzTarget& target : AllTargets()) names.emplace_back(target.name);
    return names;
}

class FuzzSeeds : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzSeeds, SeedInputsKeepEveryRule) {
    static const test::TempDir corpus;  // one corpus for all targets: writing it costs more than replaying it
    static const bool written = WriteSeedCorpus(corpus.path());
    ASSERT_TRUE(written);
    const std::vector<fs::path> seeds = FilesIn(fs::path(corpus.path()) / ("corpus-" + GetParam()));
    EXPECT_FALSE(seeds.empty()) << "the target has no seeds";
    for (const fs::path& seed : seeds) Replay(*FindTarget(GetParam()), seed);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzSeeds, ::testing::ValuesIn(TargetNames()),
                         [](const auto& target) { return target.param; });

}  // namespace
}  // namespace tarnwerk::fuzz
