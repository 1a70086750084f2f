// Two writers on one carrier: a tarnwerk-cli hide into a carrier that another process is
// writing is refused with a clear message, and neither process corrupts the other's data.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "config/Strings.h"
#include "reliability/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

extern char** environ;

namespace tarnwerk {
namespace {

constexpr int kCarrierBusyId = 464;
constexpr size_t kLargeData = 24 * 1024 * 1024;  // long enough a hide to catch it mid-write
constexpr size_t kLargeCarrier = kLargeData * 4 + 4096;
constexpr auto kPollInterval = std::chrono::microseconds(500);
constexpr auto kLockWait = std::chrono::seconds(60);

struct CliRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr
};

// Starts tarnwerk-cli with args; its output goes to outputPath.
pid_t StartCli(const std::vector<std::string>& args, const std::string& outputPath) {
    std::vector<std::string> all{TARNWERK_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

CliRun Finish(pid_t pid, const std::string& outputPath) {
    CliRun run;
    if (pid < 0) return run;
    const int status = test::WaitChild(pid);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outputPath);
    std::stringstream text;
    text << in.rdbuf();
    run.output = text.str();
    return run;
}

// True when process pid holds an exclusive flock on the file with this inode (read from
// /proc/locks, which does not disturb the lock holder the way probing with flock would).
bool HoldsWriteLock(pid_t pid, ino_t inode) {
    std::ifstream locks("/proc/locks");
    std::string line;
    const std::string inodeSuffix = ":" + std::to_string(inode);
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, owner, device;
        fields >> number >> kind >> mode >> access >> owner >> device;
        if (kind == "FLOCK" && access == "WRITE" && owner == std::to_string(pid) && device.size() > inodeSuffix.size() &&
            device.compare(device.size() - inodeSuffix.size(), inodeSuffix.size(), inodeSuffix) == 0)
            return true;
    }
    return false;
}

class ConcurrentCliTest : public ::testing::Test {
protected:
    std::vector<std::string> Hide(const std::string& carrier, const std::string& data) const {
        return {"hide", carrier, data, "--cipher", "none", "--no-compress", "--bits", "2", "--language", "en",
                "--settings", dir_.File("tarnwerk.ini")};
    }
    std::vector<std::string> Extract(const std::string& carrier, const std::string& out) const {
        return {"extract", carrier, out, "--force", "--language", "en", "--settings", dir_.File("tarnwerk.ini")};
    }
    std::string Log(const std::string& name) const { return logs_.File(name); }

    test::TempDir dir_;
    test::TempDir logs_;  // outside dir_, so dir_ holds only the user's files
};

// The first process is frozen while it holds the carrier's lock, so the second one meets it
// mid-write for certain; then the first finishes and its data must come back intact.
TEST_F(ConcurrentCliTest, SecondWriterIsRefusedAndTheFirstOneFinishesIntact) {
    const std::string carrier = dir_.File("carrier.raw");
    test::MakeRaw(carrier, kLargeCarrier, 3);
    const std::string first = dir_.File("first.bin");
    const test::Bytes firstData = test::MakeRaw(first, kLargeData, 4);
    const std::string second = dir_.File("second.bin");
    const test::Bytes secondData = test::MakeRaw(second, 5000, 5);
    struct stat info {};
    ASSERT_EQ(::stat(carrier.c_str(), &info), 0);

    const pid_t writer = StartCli(Hide(carrier, first), Log("first"));
    ASSERT_GT(writer, 0);
    bool caught = false;
    for (const auto deadline = std::chrono::steady_clock::now() + kLockWait;
         !caught && std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(kPollInterval)) {
        caught = HoldsWriteLock(writer, info.st_ino);
        if (caught) ::kill(writer, SIGSTOP);
        int status = 0;
        if (!caught && ::waitpid(writer, &status, WNOHANG) == writer) break;  // finished before it was seen
    }
    ASSERT_TRUE(caught) << "the first hide never held the carrier's lock";

    const CliRun refused = Finish(StartCli(Hide(carrier, second), Log("second")), Log("second"));
    ::kill(writer, SIGCONT);
    const CliRun done = Finish(writer, Log("first"));

    EXPECT_EQ(refused.exitCode, 1) << refused.output;
    EXPECT_NE(refused.output.find(Text(kLanguageBaseEnglish, kCarrierBusyId)), std::string::npos) << refused.output;
    EXPECT_EQ(done.exitCode, 0) << done.output;
    EXPECT_EQ(test::ReadFile(second), secondData);
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"carrier.raw", "first.bin", "second.bin"}));

    const std::string out = dir_.File("back.bin");
    const CliRun extracted = Finish(StartCli(Extract(carrier, out), Log("extract")), Log("extract"));
    ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
    EXPECT_TRUE(test::ReadFile(out) == firstData) << "the first writer's data did not survive";
}

}  // namespace
}  // namespace tarnwerk
