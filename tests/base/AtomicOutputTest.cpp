// Scratch files and atomic outputs as every writer uses them: no name while the data grows,
// the target named only on Commit, links and modes kept.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicOutput.h"
#include "base/FileIo.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

Status Fill(ScratchFile& file, const Bytes& bytes) { return WriteAll(file.fd(), bytes.data(), bytes.size(), "test"); }

TEST(AtomicOutput, TheTargetChangesOnlyOnCommitAndNothingElseIsLeft) {
    const test::TempDir dir;
    const std::string target = dir.File("out");
    test::WriteFile(target, Bytes{'o', 'l', 'd'});
    {
        auto dropped = AtomicOutput::Create(target);
        ASSERT_TRUE(dropped);
        ASSERT_TRUE(Fill(dropped->content(), Bytes(5000, 'x')));
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out"});  // the content has no name
    }
    EXPECT_EQ(test::ReadFile(target), (Bytes{'o', 'l', 'd'}));
    auto output = AtomicOutput::Create(target);
    ASSERT_TRUE(output);
    ASSERT_TRUE(Fill(output->content(), Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(output->Commit(AtomicOutput::Existing::Keep).error().number, EEXIST);
    EXPECT_EQ(test::ReadFile(target), (Bytes{'o', 'l', 'd'}));
    ASSERT_TRUE(output->Commit());
    EXPECT_EQ(test::ReadFile(target), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out"});
}

// A pipeline hands its stages on; routines that take paths write a scratch file in place.
TEST(AtomicOutput, TakesTheLastStageAndFollowsASymbolicLink) {
    const test::TempDir dir;
    test::WriteFile(dir.File("real"), Bytes{'o', 'l', 'd'});
    ASSERT_EQ(::chmod(dir.File("real").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real", dir.File("link").c_str()), 0);
    auto output = AtomicOutput::Create(dir.File("link"));
    ASSERT_TRUE(output);
    auto stage = ScratchFile::CreateBeside(output->target());
    ASSERT_TRUE(stage);
    const Bytes data = test::RandomBytes(70000, 4);
    ASSERT_TRUE(ReplaceFileWith(stage->path(), {data}));
    output->Take(std::move(*stage));
    ASSERT_TRUE(output->Commit());
    struct stat link {
    }, real{};
    ASSERT_EQ(::lstat(dir.File("link").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    ASSERT_EQ(::stat(dir.File("real").c_str(), &real), 0);
    EXPECT_EQ(real.st_mode & 07777, 0640u);
    EXPECT_EQ(test::ReadFile(dir.File("real")), data);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link", "real"}));
}

TEST(AtomicOutput, NodesThatAreNoRegularFileAreRefused) {
    const test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(AtomicOutput::Create(dir.File("fifo")).error().code, ErrorCode::NotRegularFile);
    EXPECT_EQ(AtomicOutput::Create(dir.path()).error().code, ErrorCode::NotRegularFile);
    EXPECT_EQ(AtomicOutput::Create("/dev/null").error().code, ErrorCode::NotRegularFile);
}

}  // namespace
}  // namespace tarnwerk
