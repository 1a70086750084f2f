// tarnwerk-cli as a script sees it: exit codes, stdout/stderr texts, files it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    // Runs the CLI with no terminal and an empty settings file, so the built-in defaults apply.
    CliRun Cli(const std::string& args, const std::string& shellPrefix = "") {
        const std::string out = dir.File("stdout"), err = dir.File("stderr");
        const std::string command = shellPrefix + "'" + TARNWERK_CLI_PATH + "' --settings '" + dir.File("none.ini") +
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
    // 100 bytes a row, 2000 picture bytes: 1000 stream bytes at 4 bits, less 34 or 50.
    EXPECT_NE(json.out.find("\"4\":{\"plain\":966,\"encrypted\":950}"), std::string::npos) << json.out;
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

// The stored stream has no length: data holding the end marker would come back cut short.
TEST_F(CliTest, DataHoldingTheEndMarkerIsRefusedAndTheCarrierKept) {
    const Bytes carrier = MakeBitmap(dir.File("c.bmp"), 200, 100, 24, false, 4);
    const std::string marker = "~hTwKlo~", text = "Quoted from the manual: the stream ends with ";
    struct Case {
        const char* name;
        std::string data;
    };
    const Case cases[] = {
        {"d.txt", text + marker + " and nothing else."},  // middle
        {"d.txt", marker + text},                         // start
        {"d.txt", text + marker},                         // end
        {"d.txt", text + "~hTwKlo"},                      // joins the real end marker's "~"
        {"d.ab~hTwKl", "o~" + text},                      // extension field and data together
    };
    for (const Case& c : cases) {
        WriteFile(dir.File(c.name), Bytes(c.data.begin(), c.data.end()));
        const CliRun run = Cli("--language en hide " + Q("c.bmp") + " " + Q(c.name) + " --no-compress --cipher none");
        EXPECT_EQ(run.exitCode, 1) << c.data;
        EXPECT_NE(run.err.find("The data contains the end marker of hidden data"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Please switch on compression or encryption"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(dir.File("c.bmp")), carrier) << c.data;
    }
    // A near miss is data like any other.
    WriteFile(dir.File("d.txt"), Bytes(text.begin(), text.end()));
    ASSERT_EQ(Cli("hide " + Q("c.bmp") + " " + Q("d.txt") + " --no-compress --cipher none --quiet").exitCode, 0);
    ASSERT_EQ(Cli("extract " + Q("c.bmp") + " " + Q("back.txt") + " --quiet").exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("back.txt")), Bytes(text.begin(), text.end()));
}

// Pillow writes 8-bit bitmaps with only the colours they use; a hide would point pixels past
// the table. Such a carrier is refused for hiding, while data already in it can be read.
TEST_F(CliTest, ShortColourTableRefusesHidingButNotExtraction) {
    MakeBitmap(dir.File("c.bmp"), 64, 32, 8, false, 6);
    WriteFile(dir.File("d.txt"), Bytes(100, 'd'));
    ASSERT_EQ(Cli("hide " + Q("c.bmp") + " " + Q("d.txt") + " --no-compress --cipher none --quiet").exitCode, 0);
    Bytes holding = ReadFile(dir.File("c.bmp"));
    PutLe32(holding, 46, 19);  // biClrUsed: only 19 colours
    WriteFile(dir.File("c.bmp"), holding);
    const CliRun hide = Cli("--language en hide " + Q("c.bmp") + " " + Q("d.txt") + " --no-compress --cipher none");
    EXPECT_EQ(hide.exitCode, 1);
    EXPECT_NE(hide.err.find("The colour table of this 8-bit bitmap holds fewer than 256 entries."), std::string::npos)
        << hide.err;
    EXPECT_EQ(ReadFile(dir.File("c.bmp")), holding);
    ASSERT_EQ(Cli("extract " + Q("c.bmp") + " " + Q("back.txt") + " --quiet").exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("back.txt")), Bytes(100, 'd'));
    EXPECT_EQ(Cli("export " + Q("c.bmp") + " " + Q("low.bin") + " --bits 2").exitCode, 0);
}

// The free room info shows, the needed size the size command names and the hide's decision
// agree to the byte, with and without the passphrase check in the header.
TEST_F(CliTest, ShownFreeRoomIsExactlyWhatAHideTakes) {
    const Bytes carrier = MakeBitmap(dir.File("c.bmp"), 61, 30, 24, false, 8);  // 184 bytes a row
    const int64_t picture = 184 * 30;
    std::ofstream(dir.File("pw")) << "sesame";
    const CliRun info = Cli("info " + Q("c.bmp") + " --json");
    const auto number = [&](const std::string& key) {
        const size_t at = info.out.find("\"2\":{");
        const size_t value = info.out.find("\"" + key + "\":", at) + key.size() + 3;
        return std::stoll(info.out.substr(value));
    };
    const std::string hideArgs[] = {" --no-compress --cipher none", " --no-compress --cipher rc4"};
    const std::string passphrase[] = {"", " --passphrase-file " + Q("pw")};
    const int64_t free[] = {number("plain"), number("encrypted")};
    EXPECT_EQ(free[0], picture * 2 / 8 - 34);
    EXPECT_EQ(free[1], picture * 2 / 8 - 50);
    for (int k = 0; k < 2; ++k) {
        for (const int64_t size : {free[k], free[k] + 1}) {
            WriteFile(dir.File("d.bin"), RandomBytes(static_cast<size_t>(size), 30));
            const CliRun needed = Cli("size " + Q("d.bin") + " --bits 2 --json" + hideArgs[k]);
            ASSERT_EQ(needed.exitCode, 0) << needed.err;
            const int64_t area = std::stoll(needed.out.substr(needed.out.find(':') + 1));
            EXPECT_EQ(area <= picture, size == free[k]) << needed.out;
            const CliRun hide =
                Cli("--language en hide " + Q("c.bmp") + " " + Q("d.bin") + " --bits 2" + hideArgs[k] + passphrase[k]);
            EXPECT_EQ(hide.exitCode, size == free[k] ? 0 : 1) << size << hide.err;
        }
        EXPECT_NE(Cli("--language en hide " + Q("c.bmp") + " " + Q("d.bin") + " --bits 2" + hideArgs[k] + passphrase[k])
                      .err.find("The data file is to large for the carrier file."),
                  std::string::npos);
    }
    // The window's text shows the same number (defaults: 2 bits, encryption on).
    const std::string shown = Cli("--language en info " + Q("c.bmp")).out;
    std::string digits;
    for (char ch : shown.substr(shown.rfind('\n', shown.size() - 2) + 1))
        if (ch >= '0' && ch <= '9') digits += ch;
    EXPECT_EQ(digits, std::to_string(free[1])) << shown;
}

// The needed size of a file larger than the memory the tool may use: nothing is copied, plain
// and encrypted sizes follow from the file size, compression is counted while streaming.
TEST_F(CliTest, SizeOfALargeFileNeedsNeitherACopyNorItsLengthInMemory) {
    if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
    const int64_t n = int64_t{300} << 20;
    std::ofstream(dir.File("big.bin")).close();
    ASSERT_EQ(::truncate(dir.File("big.bin").c_str(), n), 0);  // sparse: costs no disk
    const std::string limit = "ulimit -v 200000; ";            // KiB, well below the file's length
    const auto needed = [&](const std::string& options) {
        const CliRun run = Cli("size " + Q("big.bin") + " --json --bits 4 " + options, limit);
        EXPECT_EQ(run.exitCode, 0) << options << run.err;
        return run.out;
    };
    // Stream: data + markers, header with check value and reserve (50), two carrier bytes each.
    EXPECT_EQ(needed("--no-compress --cipher rc4"),
              "{\"needed\":" + std::to_string((n + 50) * 2) + ",\"prepared_size\":" + std::to_string(n) + "}\n");
    const int64_t envelope = (n + 12 + 15) / 16 * 16;  // random values, size, data, to whole blocks
    EXPECT_EQ(needed("--no-compress --cipher twofish"), "{\"needed\":" + std::to_string((envelope + 50) * 2) +
                                                            ",\"prepared_size\":" + std::to_string(envelope) + "}\n");
    const std::string packed = needed("--compress --cipher none");
    const int64_t prepared = std::stoll(packed.substr(packed.find("prepared_size") + 15));
    EXPECT_GT(prepared, n / 1032);  // deflate's best ratio
    EXPECT_LT(prepared, n / 500);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"big.bin", "stderr", "stdout"}));
}

}  // namespace
}  // namespace tarnwerk::test
