// tarnwerk-cli as a script sees it: exit codes, stdout/stderr texts, files it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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
    // Runs the CLI with no terminal and an empty settings file, so the built-in defaults apply.
    CliRun Cli(const std::string& args) {
        const std::string out = dir.File("stdout"), err = dir.File("stderr");
        const std::string command = std::string("'") + TARNWERK_CLI_PATH + "' --settings '" + dir.File("none.ini") +
                                    "' " + args + " >'" + out + "' 2>'" + err + "' </dev/null";
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

TEST_F(CliTest, InfoShowsTheWindowTextsAndJson) {
    MakeBitmap(dir.File("pic.bmp"), 33, 20, 24, false, 1);
    const CliRun text = Cli("--language en info " + Q("pic.bmp"));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Bitmap-picture format, 33x20 pixel, 24 bit colors"), std::string::npos) << text.out;
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
    EXPECT_NE(hide.out.find("The data was successfully hiding in the carrier file."), std::string::npos);
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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Shell completion reads these lists at completion time, so they are a format of their own.
TEST_F(CliTest, ListsNamesForCompletion) {
    const CliRun ciphers = Cli("--list ciphers");
    ASSERT_EQ(ciphers.exitCode, 0);
    EXPECT_EQ(Lines(ciphers.out),
              (std::vector<std::string>{"none", "blowfish", "rc4", "skipjack", "tea", "twofish", "xchacha20"}));
    EXPECT_EQ(Lines(Cli("--list languages").out), (std::vector<std::string>{"de", "en", "nl", "fr"}));
    const std::vector<std::string> commands = Lines(Cli("--list commands").out);
    EXPECT_EQ(commands, (std::vector<std::string>{"info", "hide", "extract", "export", "size"}));
    const std::vector<std::string> infoOptions = Lines(Cli("info --list options").out);
    EXPECT_NE(std::find(infoOptions.begin(), infoOptions.end(), "--json"), infoOptions.end());
    EXPECT_EQ(std::find(infoOptions.begin(), infoOptions.end(), "--cipher"), infoOptions.end());
    EXPECT_EQ(Cli("--list everything").exitCode, 2);
    EXPECT_EQ(Cli("--list").exitCode, 2);
}

// Every option offered for a command must be taken by it: a refusal then comes from the
// missing files (1), never from the option (2).
TEST_F(CliTest, EveryListedOptionIsAcceptedByItsCommand) {
    std::ofstream(dir.File("pw")) << "pass";
    const std::map<std::string, std::string> values = {{"--bits", "2"},
                                                       {"--cipher", "tea"},
                                                       {"--language", "en"},
                                                       {"--settings", Q("none.ini")},
                                                       {"--passphrase-file", Q("pw")}};
    const std::map<std::string, std::string> operands = {
        {"info", Q("no.bmp")}, {"size", Q("no.dat")}, {"hide", Q("no.bmp") + " " + Q("no.dat")}};
    for (const std::string& command : Lines(Cli("--list commands").out)) {
        const auto given = operands.find(command);
        const std::string files = given != operands.end() ? given->second : Q("no.bmp") + " " + Q("out.bin");
        const std::vector<std::string> options = Lines(Cli(command + " --list options").out);
        EXPECT_GE(options.size(), 6u) << command;
        for (const std::string& option : options) {
            const auto value = values.find(option);
            const std::string args =
                command + " " + files + " " + option + (value != values.end() ? " " + value->second : "");
            const int expected = option == "--help" || option == "--version" ? 0 : 1;
            EXPECT_EQ(Cli(args).exitCode, expected) << args;
        }
    }
}

}  // namespace
}  // namespace tarnwerk::test
