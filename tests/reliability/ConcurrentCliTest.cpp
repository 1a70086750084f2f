// Two tarnwerk-cli writers on one carrier: the second is refused with a clear message and
// neither corrupts the other's data.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

constexpr size_t kLargeData = 24 * 1024 * 1024;  // long enough a hide to catch it mid-write

// tarnwerk-cli with the English settings in folder; the output is read by Finish.
FILE* StartCli(const std::string& args, const test::TempDir& folder) {
    return ::popen(("exec " TARNWERK_CLI_PATH " " + args + " --language en --settings " + folder.File("tarnwerk.ini") +
                    " </dev/null 2>&1")
                       .c_str(),
                   "r");
}
// The exit code (-1: no normal exit) and the output.
std::pair<int, std::string> Finish(FILE* cli) {
    std::string output;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof(buffer), cli)) > 0;) output.append(buffer, got);
    const int status = ::pclose(cli);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The process holding an exclusive flock on the inode (0: none); /proc/locks does not disturb it.
pid_t WriteLockHolder(ino_t inode) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, owner, device;
        fields >> number >> kind >> mode >> access >> owner >> device;
        if (kind == "FLOCK" && access == "WRITE" && device.ends_with(":" + std::to_string(inode)))
            return std::stoi(owner);
    }
    return 0;
}

// The first writer is frozen while it holds the lock, so the second meets it mid-write.
TEST(ConcurrentCliTest, SecondWriterIsRefusedAndTheFirstOneFinishesIntact) {
    const test::TempDir dir;
    const std::string carrier = dir.File("carrier.raw"), first = dir.File("first.bin"), second = dir.File("second.bin");
    test::MakeRaw(carrier, kLargeData * 4 + 4096, 3);
    const test::Bytes firstData = test::MakeRaw(first, kLargeData, 4), secondData = test::MakeRaw(second, 5000, 5);
    const auto hide = [&](const std::string& data) {
        return "hide " + carrier + " " + data + " --cipher none --no-compress --bits 2";
    };
    struct stat info {};
    ASSERT_EQ(::stat(carrier.c_str(), &info), 0);

    FILE* writer = StartCli(hide(first), dir);
    ASSERT_NE(writer, nullptr);
    pid_t holder = 0;
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
         holder == 0 && std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(std::chrono::microseconds(500)))
        if ((holder = WriteLockHolder(info.st_ino)) > 0) ::kill(holder, SIGSTOP);
    const auto [refusedCode, refusedOutput] = Finish(StartCli(hide(second), dir));
    if (holder > 0) ::kill(holder, SIGCONT);
    const auto [doneCode, doneOutput] = Finish(writer);
    ASSERT_GT(holder, 0) << "the first hide never held the carrier's lock";
    EXPECT_EQ(refusedCode, 1) << refusedOutput;
    EXPECT_NE(refusedOutput.find("The carrier file is being written by another process."), std::string::npos)
        << refusedOutput;
    EXPECT_EQ(doneCode, 0) << doneOutput;
    EXPECT_EQ(test::ReadFile(second), secondData);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"carrier.raw", "first.bin", "second.bin"}));

    const auto [extractCode, extractOutput] =
        Finish(StartCli("extract " + carrier + " " + dir.File("back.bin") + " --force", dir));
    ASSERT_EQ(extractCode, 0) << extractOutput;
    EXPECT_TRUE(test::ReadFile(dir.File("back.bin")) == firstData) << "the first writer's data did not survive";
}

// Extractions into one output at once work in scratch files of their own: every one succeeds
// and the file left is the whole data, whichever finishes last.
TEST(ConcurrentCliTest, ParallelExtractionsIntoOneOutputLeaveTheWholeData) {
    constexpr int kRuns = 6, kRounds = 4;
    const test::TempDir dir;
    const std::string carrier = dir.File("cc.raw"), data = dir.File("d.bin"), pw = dir.File("pw");
    test::MakeRaw(carrier, 6 * 1024 * 1024, 3);
    const test::Bytes dataBytes = test::MakeRaw(data, 2 * 1024 * 1024, 8);
    std::ofstream(pw) << "open sesame";
    const auto [hideCode, hideOutput] = Finish(
        StartCli("hide " + carrier + " " + data + " --compress --cipher rc4 --bits 4 --passphrase-file " + pw, dir));
    ASSERT_EQ(hideCode, 0) << hideOutput;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<FILE*> runs;
        for (int i = 0; i < kRuns; ++i)
            runs.push_back(
                StartCli("extract " + carrier + " " + dir.File("same.out") + " --force --passphrase-file " + pw, dir));
        for (FILE* run : runs) {
            const auto [code, output] = Finish(run);
            EXPECT_EQ(code, 0) << output;
        }
        ASSERT_TRUE(test::ReadFile(dir.File("same.out")) == dataBytes) << "round " << round;
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"cc.raw", "d.bin", "pw", "same.out"}));
    }
}

}  // namespace
}  // namespace tarnwerk
