// tarnwerk-cli as a script sees it: exit codes, stdout/stderr texts, files it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "core/CarrierAnalysis.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    // Runs the CLI with no terminal and no settings file, so the built-in defaults apply.
    // The locale is English unless a test names another (a first start speaks the locale's language).
    CliRun Cli(const std::string& args, const std::string& lang = "C.UTF-8") {
        const std::string out = dir.File("stdout"), err = dir.File("stderr");
        const std::string command = "env -u LC_ALL -u LC_MESSAGES LANG=" + lang + " '" + TARNWERK_CLI_PATH +
                                    "' --settings '" + dir.File("none.ini") + "' " + args + " >'" + out + "' 2>'" +
                                    err + "' </dev/null";
        const int status = std::system(command.c_str());
        const auto text = [](const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); };
        return CliRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(ReadFile(out)), text(ReadFile(err))};
    }
    std::string Q(const std::string& name) { return "'" + dir.File(name) + "'"; }

    TempDir dir;
};

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Cli("").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --bits 3").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --force").exitCode, 2);  // --force belongs to extract/export
    EXPECT_EQ(Cli("info a.bmp --cipher aes").exitCode, 2);
    EXPECT_NE(Cli("--help").out.find("Usage: tarnwerk-cli"), std::string::npos);
}

// Without a settings file the CLI speaks the desktop's language, as the window does; sizes
// are grouped the language's way.
TEST_F(CliTest, FirstStartSpeaksTheLocalesLanguage) {
    MakeBitmap(dir.File("pic.bmp"), 33, 20, 24, false, 1);  // 54 + 20 rows of 99 + 1 bytes = 2054
    const CliRun dutch = Cli("info " + Q("pic.bmp"), "nl_NL.UTF-8");
    ASSERT_EQ(dutch.exitCode, 0) << dutch.err;
    EXPECT_NE(dutch.out.find("Bitmap-beeldformaat, 33x20 pixels"), std::string::npos) << dutch.out;
    EXPECT_NE(dutch.out.find("2.054 bytes"), std::string::npos) << dutch.out;
    const CliRun other = Cli("info " + Q("pic.bmp"), "sv_SE.UTF-8");
    EXPECT_NE(other.out.find("Bitmap picture format, 33x20 pixels"), std::string::npos) << other.out;
    EXPECT_NE(other.out.find("2,054 bytes"), std::string::npos) << other.out;
}

TEST_F(CliTest, InfoShowsTheWindowTextsAndJson) {
    MakeBitmap(dir.File("pic.bmp"), 33, 20, 24, false, 1);
    const CliRun text = Cli("--language en info " + Q("pic.bmp"));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Bitmap picture format, 33x20 pixels, 24 bit colors"), std::string::npos) << text.out;
    const CliRun json = Cli("info " + Q("pic.bmp") + " --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const int32_t imageSize = BitmapRowBytes(33, 24) * 20;
    EXPECT_NE(json.out.find("\"4\":{\"plain\":" + std::to_string(FreeSpace(imageSize, 4, false)) +
                            ",\"encrypted\":" + std::to_string(FreeSpace(imageSize, 4, true)) + "}"),
              std::string::npos)
        << json.out;
    WriteFile(dir.File("bad.bmp"), Bytes(20, 0x42));
    const CliRun bad = Cli("--language en info " + Q("bad.bmp"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.empty());
}

// Passphrase files may end in a newline; an existing output needs --force without a terminal.
TEST_F(CliTest, EncryptedRoundTripGuardsAnExistingOutput) {
    MakeBitmap(dir.File("pic.bmp"), 120, 90, 8, true, 3);
    const Bytes data = RandomBytes(2500, 9);
    WriteFile(dir.File("d.bin"), data);
    std::ofstream(dir.File("pw-newline")) << "sesame street\n";
    std::ofstream(dir.File("pw-plain")) << "sesame street";
    std::ofstream(dir.File("pw-wrong")) << "sesame streets";
    EXPECT_EQ(Cli("hide " + Q("pic.bmp") + " " + Q("d.bin") + " --cipher twofish").exitCode, 2);  // no passphrase
    const CliRun hide = Cli("--language en hide " + Q("pic.bmp") + " " + Q("d.bin") +
                            " --compress --cipher rc4 --passphrase-file " + Q("pw-newline"));
    ASSERT_EQ(hide.exitCode, 0) << hide.err;
    EXPECT_NE(hide.out.find("The data was successfully hidden in the carrier file."), std::string::npos);
    const std::string extract = "--language en extract " + Q("pic.bmp") + " " + Q("r.bin") + " --passphrase-file ";
    const CliRun wrong = Cli(extract + Q("pw-wrong"));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("The entered passphrase is incorrect."), std::string::npos) << wrong.err;
    WriteFile(dir.File("r.bin"), Bytes{'k', 'e', 'e', 'p'});
    EXPECT_EQ(Cli(extract + Q("pw-plain")).exitCode, 1);  // no terminal, no --force
    EXPECT_EQ(ReadFile(dir.File("r.bin")), (Bytes{'k', 'e', 'e', 'p'}));
    ASSERT_EQ(Cli(extract + Q("pw-plain") + " --force --quiet").exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("r.bin")), data);
}

}  // namespace
}  // namespace tarnwerk::test
