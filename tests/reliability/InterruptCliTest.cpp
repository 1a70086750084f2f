// tarnwerk-cli ended by a signal in the middle of its work: the exit status is 128 + the
// signal, no scratch file is left and every file is as it was; a killed process leaves no
// plaintext behind either.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "config/Strings.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

// Argon2id takes 256 MiB while it derives the key; past this the process is surely there,
// with the data read and its scratch files open.
constexpr long kDerivingResidentKiB = 96 * 1024;
constexpr auto kPatience = std::chrono::seconds(120);

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

    // Sends the signal once the process derives its key; the wait status (0: it never got there).
    static int InterruptWhileDeriving(pid_t pid, int signalNumber) {
        for (const auto deadline = std::chrono::steady_clock::now() + kPatience;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
            if (ResidentKiB(pid) < kDerivingResidentKiB) continue;
            ::kill(pid, signalNumber);
            int status = 0;
            ::waitpid(pid, &status, 0);
            return status;
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return 0;
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
        EXPECT_NE(Log().find(Text(kLanguageBaseEnglish, TextId::TerminatedText)), std::string::npos) << Log();
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
