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

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliTest : public ::testing::Test {
protected:
    // Runs the CLI with no terminal and an empty settings file, so the built-in defaults apply.
    CliRun Cli(const std::string& args) {
        const std::string out = dir.File("stdout"), err = dir.File("stderr");
        const std::string command = std::string("'") + TARNWERK_CLI_PATH + "' --settings '" + dir.File("none.ini") +
                                    "' " + args + " >'" + out + "' 2>'" + err + "' </dev/null";
        const int status = std::system(command.c_str());
        return CliRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    }
    std::string Q(const std::string& name) { return "'" + dir.File(name) + "'"; }

    TempDir dir;
};

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Cli("").exitCode, 2);
    EXPECT_EQ(Cli("frobnicate x").exitCode, 2);
    EXPECT_EQ(Cli("hide onlyone.bmp").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --bits 3").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --force").exitCode, 2);  // --force belongs to extract/export
    EXPECT_EQ(Cli("info a.bmp --cipher aes").exitCode, 2);
    const CliRun help = Cli("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: tarnwerk-cli"), std::string::npos);
    EXPECT_EQ(Cli("--version").exitCode, 0);
}

TEST_F(CliTest, InfoShowsTheWindowTextsAndJson) {
    MakeBitmap(dir.File("pic.bmp"), 33, 20, 24, false, 1);
    const CliRun text = Cli("--language en info " + Q("pic.bmp"));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Bitmap-picture format, 33x20 pixel, 24 bit colors"), std::string::npos) << text.out;
    const CliRun json = Cli("info " + Q("pic.bmp") + " --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const int32_t imageSize = BitmapRowBytes(33, 24) * 20;
    EXPECT_NE(json.out.find("\"type\":\"bitmap\""), std::string::npos);
    EXPECT_NE(json.out.find("\"image_size\":" + std::to_string(imageSize)), std::string::npos);
    EXPECT_NE(json.out.find("\"4\":{\"plain\":" + std::to_string(FreeSpace(imageSize, 4, false)) +
                            ",\"encrypted\":" + std::to_string(FreeSpace(imageSize, 4, true)) + "}"),
              std::string::npos)
        << json.out;
    WriteFile(dir.File("bad.bmp"), Bytes(20, 0x42));
    const CliRun bad = Cli("--language en info " + Q("bad.bmp"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.empty());
    EXPECT_NE(bad.err.find("The selected file is not valid, or\nthe fileformat is not supported by Tarnwerk."),
              std::string::npos)
        << bad.err;
}

TEST_F(CliTest, HideAndExtractRoundTripAndGuardAnExistingOutput) {
    MakeBitmap(dir.File("pic.bmp"), 101, 80, 24, false, 2);
    const Bytes data = RandomBytes(3000, 7);
    WriteFile(dir.File("secret.txt"), data);
    const CliRun hide =
        Cli("--language en hide " + Q("pic.bmp") + " " + Q("secret.txt") + " --bits 4 --no-compress --cipher none");
    ASSERT_EQ(hide.exitCode, 0) << hide.err;
    EXPECT_NE(hide.out.find("The data was successfully hiding in the carrier file."), std::string::npos);
    ASSERT_EQ(Cli("extract " + Q("pic.bmp") + " " + Q("out.txt")).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("out.txt")), data);
    WriteFile(dir.File("out.txt"), Bytes{'k', 'e', 'e', 'p'});
    EXPECT_EQ(Cli("extract " + Q("pic.bmp") + " " + Q("out.txt")).exitCode, 1);  // no terminal, no --force
    EXPECT_EQ(ReadFile(dir.File("out.txt")), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(Cli("extract " + Q("pic.bmp") + " " + Q("out.txt") + " --force --quiet").exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("out.txt")), data);
}

TEST_F(CliTest, EncryptedRoundTripWithPassphraseFiles) {
    MakeBitmap(dir.File("pic.bmp"), 120, 90, 8, true, 3);
    const Bytes data = RandomBytes(2500, 9);
    WriteFile(dir.File("d.bin"), data);
    std::ofstream(dir.File("pw-newline")) << "sesame street\n";
    std::ofstream(dir.File("pw-plain")) << "sesame street";
    std::ofstream(dir.File("pw-wrong")) << "sesame streets";
    EXPECT_EQ(Cli("hide " + Q("pic.bmp") + " " + Q("d.bin") + " --cipher twofish").exitCode, 2);  // no passphrase
    ASSERT_EQ(Cli("hide " + Q("pic.bmp") + " " + Q("d.bin") + " --compress --cipher rc4 --passphrase-file " +
                  Q("pw-newline"))
                  .exitCode,
              0);
    const CliRun wrong =
        Cli("--language en extract " + Q("pic.bmp") + " " + Q("w.bin") + " --passphrase-file " + Q("pw-wrong"));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("The entered passphrase is incorrect."), std::string::npos) << wrong.err;
    ASSERT_EQ(Cli("extract " + Q("pic.bmp") + " " + Q("r.bin") + " --passphrase-file " + Q("pw-plain")).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("r.bin")), data);
}

// The needed size is the smallest carrier the hide accepts: one byte less is refused.
TEST_F(CliTest, NeededSizeIsExactAndMessagesFollowTheLanguage) {
    WriteFile(dir.File("d.bin"), RandomBytes(777, 3));
    const std::string data = " " + Q("d.bin") + " --bits 2 --no-compress --cipher none";
    const CliRun size = Cli("size" + data + " --json");
    ASSERT_EQ(size.exitCode, 0) << size.err;
    const int64_t needed = (777 + 24 + 10) * 8 / 2;
    ASSERT_NE(size.out.find("\"needed\":" + std::to_string(needed)), std::string::npos) << size.out;
    MakeRaw(dir.File("exact.raw"), static_cast<size_t>(needed), 1);
    MakeRaw(dir.File("short.raw"), static_cast<size_t>(needed - 1), 1);
    const CliRun exact = Cli("--language de hide " + Q("exact.raw") + data);
    ASSERT_EQ(exact.exitCode, 0) << exact.err;
    EXPECT_NE(exact.out.find("Die Daten wurden erfolgreich in der Trägerdatei verborgen."), std::string::npos);
    EXPECT_EQ(Cli("hide " + Q("short.raw") + data).exitCode, 1);
}

}  // namespace
}  // namespace tarnwerk::test
