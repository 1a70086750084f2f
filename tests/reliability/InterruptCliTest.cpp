// tarnwerk-cli ended by a signal in the middle of its work: the exit status is 128 + the
// signal, no scratch file is left and every file is as it was; a killed process leaves no
// plaintext behind either.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

// Argon2id takes 256 MiB while it derives the key; past this the process is surely there,
// with the data read and its scratch files open.
constexpr long kDerivingResidentKiB = 96 * 1024;
constexpr auto kPatience = std::chrono::seconds(120);
constexpr int kNeverThere = -1;  // neither exited nor signalled

// What a process holds open, from its descriptor table: which of the work folder's files, and
// how many descriptors reach scratch files (they carry no name, so the table shows them as
// deleted; one file may be open twice, by descriptor and through its /proc path).
struct OpenFiles {
    std::vector<std::string> named;
    int scratch = 0;

    static OpenFiles Of(pid_t pid) {
        OpenFiles files;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
            const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
            if (target.ends_with(" (deleted)"))
                ++files.scratch;
            else
                files.named.push_back(std::filesystem::path(target).filename().string());
        }
        return files;
    }
    bool Holds(const std::string& name) const { return std::find(named.begin(), named.end(), name) != named.end(); }
};

class InterruptCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::MakeBitmap(work.File("c.bmp"), 300, 300, 24, false, 6);
        std::string text;
        for (int i = 0; i < 600; ++i) text += "a line of the secret notes, number " + std::to_string(i) + "\n";
        std::ofstream(work.File("d.bin")) << text;
        std::ofstream(work.File("pw")) << "correct horse battery";
        const pid_t hide = Start({"hide", "c.bmp", "d.bin", "--cipher", "xchacha20", "--passphrase-file", "pw"});
        int status = 0;
        ASSERT_EQ(::waitpid(hide, &status, 0), hide);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Log();
        std::ofstream(work.File("keep.txt")) << "the user's own file";
    }

    // The CLI in the work folder, in English, its output in the log.
    pid_t Start(const std::vector<std::string>& args) {
        std::vector<std::string> all = {TARNWERK_CLI_PATH, "--language", "en", "--settings", logs.File("none.ini")};
        all.insert(all.end(), args.begin(), args.end());
        const pid_t pid = ::fork();
        if (pid != 0) return pid;
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(logs.File("log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::chdir(work.path().c_str()) != 0 || in < 0 || out < 0) ::_exit(126);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }

    // Sends the signal once inStage holds for the running process; the wait status, or
    // kNeverThere when the process ended or the patience ran out before it got there.
    static int InterruptWhen(pid_t pid, int signalNumber, const std::function<bool(pid_t)>& inStage) {
        for (const auto deadline = std::chrono::steady_clock::now() + kPatience;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return kNeverThere;
            if (!inStage(pid)) continue;
            ::kill(pid, signalNumber);
            ::waitpid(pid, &status, 0);
            return status;
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return kNeverThere;
    }

    static int InterruptWhileDeriving(pid_t pid, int signalNumber) {
        return InterruptWhen(pid, signalNumber, [](pid_t p) { return ResidentKiB(p) >= kDerivingResidentKiB; });
    }

    static long ResidentKiB(pid_t pid) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
        return 0;
    }

    // Every file of the work folder with its bytes.
    std::map<std::string, test::Bytes> Snapshot() const {
        std::map<std::string, test::Bytes> files;
        for (const std::string& name : work.Entries()) files[name] = test::ReadFile(work.File(name));
        return files;
    }
    std::string Log() const {
        const test::Bytes bytes = test::ReadFile(logs.File("log"));
        return {bytes.begin(), bytes.end()};
    }

    test::TempDir work;
    test::TempDir logs;
};

// Large files make each stage last long enough to be caught in the act: the process is
// interrupted while the descriptor table shows the stage's files, never after a fixed time.
class InterruptStageCliTest : public InterruptCliTest {
protected:
    static constexpr int kCarrierWidth = 4000, kCarrierHeight = 3000;  // 36 MB of picture bytes
    static constexpr size_t kNotesLines = 900000;                      // about 33 MB of text
    static constexpr size_t kSealedBytes = 16 << 20;                   // fits at 4 bits per byte

    void SetUp() override {
        InterruptCliTest::SetUp();
        test::MakeBitmap(work.File("big.bmp"), kCarrierWidth, kCarrierHeight, 24, false, 11);
        std::ofstream notes(work.File("notes.txt"));
        for (size_t i = 0; i < kNotesLines; ++i)
            notes << "entry " << i * 7919 % 100003 << " of the diary, kept " << i << "\n";
        notes.close();
        test::WriteFile(work.File("plain.bin"), test::Bytes(kSealedBytes, 0x5A));
        const pid_t hide = Start({"hide", "big.bmp", "plain.bin", "--no-compress", "--cipher", "skipjack", "--bits",
                                  "4", "--passphrase-file", "pw"});
        int status = 0;
        ASSERT_EQ(::waitpid(hide, &status, 0), hide);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Log();
    }
};

TEST_F(InterruptStageCliTest, CtrlCInAnyLongStageLeavesEveryFileAsItWas) {
    // Each stage by what the process holds open: compression reads the data file into a
    // scratch file; the cipher runs while the plain copy and the sealed output are both open,
    // the data file closed; decryption likewise, with the carrier already read.
    const struct {
        const char* stage;
        const char* file;  // held open in the stage, or, with open false, no longer held
        bool open;
        int scratch;  // at least this many scratch descriptors
        std::vector<std::string> args;
    } runs[] = {
        {"compression",
         "notes.txt",
         true,
         1,
         {"hide", "big.bmp", "notes.txt", "--compress", "--cipher", "none", "--bits", "4"}},
        {"skipjack encryption",
         "plain.bin",
         false,
         2,
         {"hide", "big.bmp", "plain.bin", "--no-compress", "--cipher", "skipjack", "--bits", "4", "--passphrase-file",
          "pw"}},
        {"decryption into a new file",
         "big.bmp",
         false,
         2,
         {"extract", "big.bmp", "out.bin", "--passphrase-file", "pw"}},
        {"decryption over a file",
         "big.bmp",
         false,
         2,
         {"extract", "big.bmp", "keep.txt", "--force", "--passphrase-file", "pw"}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.stage);
        const auto before = Snapshot();
        const auto inStage = [&run](pid_t pid) {
            const OpenFiles files = OpenFiles::Of(pid);
            return files.Holds(run.file) == run.open && files.scratch >= run.scratch;
        };
        const int status = InterruptWhen(Start(run.args), SIGINT, inStage);
        ASSERT_TRUE(WIFEXITED(status)) << "never interrupted in this stage, status " << status << "\n" << Log();
        EXPECT_EQ(WEXITSTATUS(status), 130);
        EXPECT_TRUE(Snapshot() == before) << "a file was changed or left behind";
    }
}

TEST_F(InterruptCliTest, SignalsEndTheCommandLeavingEveryFileAsItWas) {
    const struct {
        int signalNumber;
        std::vector<std::string> args;
    } runs[] = {
        {SIGINT, {"extract", "c.bmp", "keep.txt", "--force", "--passphrase-file", "pw"}},
        {SIGTERM, {"hide", "c.bmp", "d.bin", "--cipher", "xchacha20", "--passphrase-file", "pw"}},
        {SIGHUP, {"extract", "c.bmp", "new.txt", "--passphrase-file", "pw"}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.args[0] + " " + run.args[2]);
        const auto before = Snapshot();
        const int status = InterruptWhileDeriving(Start(run.args), run.signalNumber);
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << Log();
        EXPECT_EQ(WEXITSTATUS(status), 128 + run.signalNumber);
        EXPECT_NE(Log().find("The process was terminated."), std::string::npos) << Log();
        EXPECT_TRUE(Snapshot() == before) << "a file was changed or left behind";
    }
}

// SIGKILL cannot be caught: the scratch files must have had no name from the start.
TEST_F(InterruptCliTest, KilledHideLeavesNoScratchFile) {
    const auto before = Snapshot();
    const int status = InterruptWhileDeriving(
        Start({"hide", "c.bmp", "d.bin", "--cipher", "xchacha20", "--passphrase-file", "pw"}), SIGKILL);
    ASSERT_TRUE(WIFSIGNALED(status)) << Log();
    std::vector<std::string> names;
    for (const auto& [name, bytes] : before) names.push_back(name);
    EXPECT_EQ(work.Entries(), names);
}

}  // namespace
}  // namespace tarnwerk
