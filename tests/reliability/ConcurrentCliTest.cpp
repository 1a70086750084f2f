// Two writers on one carrier: a tarnwerk-cli hide into a carrier that another process is
// writing is refused with a clear message, and neither process corrupts the other's data.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "config/Strings.h"
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

// Starts tarnwerk-cli with args and the English settings in folder; its output goes to log.
pid_t StartCli(std::vector<std::string> args, const test::TempDir& folder, const std::string& log) {
    args.insert(args.begin(), TARNWERK_CLI_PATH);
    args.insert(args.end(), {"--language", "en", "--settings", folder.File("tarnwerk.ini")});
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

CliRun Finish(pid_t pid, const std::string& log) {
    int status = 0;
    if (pid <= 0) return {};
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const test::Bytes output = test::ReadFile(log);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(output.begin(), output.end())};
}
CliRun RunCli(const std::vector<std::string>& args, const test::TempDir& folder, const std::string& log) {
    return Finish(StartCli(args, folder, log), log);
}

// True when process pid holds an exclusive flock on the file with this inode (read from
// /proc/locks, which does not disturb the lock holder the way probing with flock would).
bool HoldsWriteLock(pid_t pid, ino_t inode) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, owner, device;
        fields >> number >> kind >> mode >> access >> owner >> device;
        if (kind == "FLOCK" && access == "WRITE" && owner == std::to_string(pid) && device.ends_with(":" + std::to_string(inode)))
            return true;
    }
    return false;
}

// The first process is frozen while it holds the carrier's lock, so the second one meets it
// mid-write for certain; then the first finishes and its data must come back intact.
TEST(ConcurrentCliTest, SecondWriterIsRefusedAndTheFirstOneFinishesIntact) {
    const test::TempDir dir, logs;  // logs outside dir, so dir holds only the user's files
    const std::string carrier = dir.File("carrier.raw"), first = dir.File("first.bin"), second = dir.File("second.bin");
    test::MakeRaw(carrier, kLargeCarrier, 3);
    const test::Bytes firstData = test::MakeRaw(first, kLargeData, 4), secondData = test::MakeRaw(second, 5000, 5);
    const auto hide = [&](const std::string& data) -> std::vector<std::string> {
        return {"hide", carrier, data, "--cipher", "none", "--no-compress", "--bits", "2"};
    };
    struct stat info {};
    ASSERT_EQ(::stat(carrier.c_str(), &info), 0);

    const pid_t writer = StartCli(hide(first), dir, logs.File("first"));
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

    const CliRun refused = RunCli(hide(second), dir, logs.File("second"));
    ::kill(writer, SIGCONT);
    const CliRun done = Finish(writer, logs.File("first"));

    EXPECT_EQ(refused.exitCode, 1) << refused.output;
    EXPECT_NE(refused.output.find(Text(kLanguageBaseEnglish, kCarrierBusyId)), std::string::npos) << refused.output;
    EXPECT_EQ(done.exitCode, 0) << done.output;
    EXPECT_EQ(test::ReadFile(second), secondData);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"carrier.raw", "first.bin", "second.bin"}));

    const std::string out = dir.File("back.bin");
    const CliRun extracted = RunCli({"extract", carrier, out, "--force"}, dir, logs.File("x"));
    ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
    EXPECT_TRUE(test::ReadFile(out) == firstData) << "the first writer's data did not survive";
}

}  // namespace
}  // namespace tarnwerk
