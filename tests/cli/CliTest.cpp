// tarnwerk-cli as a script sees it: exit codes, stdout/stderr texts, files it leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "config/Strings.h"
#include "core/CarrierAnalysis.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"
#include "support/TestPng.h"

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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class CliTest : public ::testing::Test {
protected:
    // Runs the CLI in the test's folder with no terminal and an empty settings file, so the
    // built-in defaults apply; shell is put before the command (a umask, a timeout). The locale
    // is English unless a test names another (a first start speaks the locale's language).
    CliRun Cli(const std::string& args, const std::string& shell = {}, const std::string& lang = "C.UTF-8") {
        const std::string out = logs.File("stdout"), err = logs.File("stderr");
        const std::string command = "cd '" + dir.path() + "' && unset LC_ALL LC_MESSAGES && export LANG=" + lang +
                                    " && " + shell + " '" + TARNWERK_CLI_PATH + "' --settings '" +
                                    dir.File("none.ini") + "' " + args + " >'" + out + "' 2>'" + err + "' </dev/null";
        const int status = std::system(command.c_str());
        const auto text = [](const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); };
        return CliRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(ReadFile(out)), text(ReadFile(err))};
    }
    std::string Q(const std::string& name) { return "'" + dir.File(name) + "'"; }

    mode_t Mode(const std::string& name) {
        struct stat info {};
        return ::stat(dir.File(name).c_str(), &info) == 0 ? info.st_mode : 0;
    }
    // A carrier c.bmp holding d.bin (3000 bytes of text) compressed and under RC4.
    void HideRc4() {
        MakeBitmap(dir.File("c.bmp"), 200, 200, 24, false, 2);
        std::string text;
        for (int i = 0; i < 100; ++i) text += "thirty bytes of text, again.\n";
        WriteFile(dir.File("d.bin"), Bytes(text.begin(), text.end()));
        std::ofstream(dir.File("pw")) << "sesame street";
        ASSERT_EQ(Cli("hide c.bmp d.bin --compress --cipher rc4 --passphrase-file pw").exitCode, 0);
    }

    TempDir dir;
    TempDir logs;  // the CLI's captured output, apart from the files it works on
};

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Cli("").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --bits 3").exitCode, 2);
    EXPECT_EQ(Cli("info a.bmp --force").exitCode, 2);  // --force belongs to hide/extract/export
    EXPECT_EQ(Cli("hide a.bmp b.txt --method fast").exitCode, 2);
    EXPECT_EQ(Cli("export a.bmp b.txt --method stealth").exitCode, 2);
    // The stealth method has its own cipher and no bit depth.
    EXPECT_EQ(Cli("hide a.bmp b.txt --method stealth --bits 2").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --cipher rc4 --method stealth").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --cipher none --method stealth").exitCode, 2);
    EXPECT_EQ(Cli("extract a.bmp b.txt --output c.bmp").exitCode, 2);  // --output belongs to hide
    EXPECT_EQ(Cli("hide a.bmp b.txt --output").exitCode, 2);
    EXPECT_EQ(Cli("hide a.bmp b.txt --output ''").exitCode, 2);
    EXPECT_EQ(Cli("info a.bmp --cipher aes").exitCode, 2);
    EXPECT_NE(Cli("--help").out.find("Usage: tarnwerk-cli"), std::string::npos);
}

// Without a settings file the CLI speaks the desktop's language, as the window does; sizes
// are grouped the language's way.
TEST_F(CliTest, FirstStartSpeaksTheLocalesLanguage) {
    MakeBitmap(dir.File("pic.bmp"), 33, 20, 24, false, 1);  // 54 + 20 rows of 99 + 1 bytes = 2054
    const CliRun dutch = Cli("info " + Q("pic.bmp"), {}, "nl_NL.UTF-8");
    ASSERT_EQ(dutch.exitCode, 0) << dutch.err;
    EXPECT_NE(dutch.out.find("Bitmap-beeldformaat, 33x20 pixels"), std::string::npos) << dutch.out;
    EXPECT_NE(dutch.out.find("2.054 bytes"), std::string::npos) << dutch.out;
    const CliRun other = Cli("info " + Q("pic.bmp"), {}, "sv_SE.UTF-8");
    EXPECT_NE(other.out.find("Bitmap picture format, 33x20 pixels"), std::string::npos) << other.out;
    EXPECT_NE(other.out.find("2,054 bytes"), std::string::npos) << other.out;
}

TEST_F(CliTest, DoubleDashEndsTheOptionsAndTheCipherListIsComplete) {
    MakeBitmap(dir.File("-pic.bmp"), 33, 20, 24, false, 1);
    EXPECT_EQ(Cli("info -- -pic.bmp").exitCode, 0);
    EXPECT_EQ(Cli("info -pic.bmp").exitCode, 2);
    const CliRun wrong = Cli("hide a.bmp b.txt --cipher aes");
    EXPECT_NE(wrong.err.find("none, blowfish, rc4, skipjack, tea, twofish or xchacha20"), std::string::npos)
        << wrong.err;
}

TEST_F(CliTest, InfoShowsTheWindowTextsAndJson) {
    MakeBitmap(dir.File("pic.bmp"), 33, 20, 24, false, 1);
    const CliRun text = Cli("--language en info " + Q("pic.bmp"));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Bitmap picture format, 33x20 pixels, 24 bit colors"), std::string::npos) << text.out;
    const CliRun json = Cli("info " + Q("pic.bmp") + " --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    // 100 bytes a row, 2000 picture bytes: 1000 stream bytes at 4 bits, less 34 or 50.
    EXPECT_NE(json.out.find("\"4\":{\"plain\":966,\"encrypted\":950}"), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("stealth"), std::string::npos) << json.out;  // 1980 samples: too few
    WriteFile(dir.File("bad.bmp"), Bytes(20, 0x42));
    const CliRun bad = Cli("--language en info " + Q("bad.bmp"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.empty());
}

// A PNG's size is its file's length; its room is that of its colour samples (40 x 30 x 3 =
// 3600 area bytes: 1800 stream bytes at 4 bits, less 34 or 50).
TEST_F(CliTest, InfoOfAPngShowsTheFileLengthAndTheRoomOfItsSamples) {
    const Bytes file = png::Encode(png::RandomPicture(40, 30, 2, 8, false, 7));
    WriteFile(dir.File("pic.png"), file);
    const CliRun json = Cli("info " + Q("pic.png") + " --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("\"type\":\"png\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"file_size\":" + std::to_string(file.size()) + ","), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"4\":{\"plain\":1766,\"encrypted\":1750}"), std::string::npos) << json.out;
}

// The stealth method's room, for carriers it can use only: 200 x 100 x 3 = 60,000 samples
// leave 51,808 for the body; at 0.1 bit per sample (6000 - 192) / 8 = 726 sealed bytes, at
// most (60000 - 8192) / 16 = 3238, each less 49 bytes of seal, flags and extension.
TEST_F(CliTest, InfoShowsTheStealthRoomWhereTheMethodFits) {
    MakeBitmap(dir.File("big.bmp"), 200, 100, 24, false, 4);
    const CliRun json = Cli("info " + Q("big.bmp") + " --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find(",\"stealth\":{\"recommended\":677,\"maximum\":3189}}"), std::string::npos) << json.out;
    const CliRun text = Cli("--language de info " + Q("big.bmp"));
    const std::string rooms = "\nEmpfohlener Platz (unauffällig): 677 Byte\nGrößter Platz (unauffällig): 3.189 Byte\n";
    EXPECT_NE(text.out.find(rooms), std::string::npos) << text.out;
    MakeRaw(dir.File("c.raw"), 90000, 5);
    const png::Picture palette = png::RandomPicture(200, 100, 3, 8, false, 6);
    WriteFile(dir.File("p.png"), png::Encode(palette, {{"PLTE", RandomBytes(768, 5)}}));
    for (const char* refused : {"c.raw", "p.png"}) {
        const CliRun info = Cli("info " + Q(refused) + " --json");
        EXPECT_EQ(info.exitCode, 0) << refused << info.err;
        EXPECT_EQ(info.out.find("stealth"), std::string::npos) << refused << info.out;
    }
}

// Each PNG kind in words (the window's type field) and its channel layout in JSON; pictures
// of fewer than 8 bits per channel are refused in PNG terms, not bitmap ones.
TEST_F(CliTest, InfoNamesEachPngKindAndItsChannels) {
    const struct {
        uint8_t colourType, bitDepth;
        bool interlaced;
        const char* words;
        const char* json;
    } rows[] = {
        {2, 8, false, "24 bit colors", R"("channels":["red","green","blue"],"bit_depth":8,"interlaced":false)"},
        {6, 8, false, "24 bit colors with alpha channel",
         R"("channels":["red","green","blue","alpha"],"bit_depth":8,"interlaced":false)"},
        {2, 16, true, "48 bit colors", R"("channels":["red","green","blue"],"bit_depth":16,"interlaced":true)"},
        {0, 8, false, "8 bit grey levels", R"("channels":["grey"],"bit_depth":8,"interlaced":false)"},
        {0, 16, false, "16 bit grey levels", R"("channels":["grey"],"bit_depth":16,"interlaced":false)"},
        {4, 8, false, "8 bit grey levels with alpha channel",
         R"("channels":["grey","alpha"],"bit_depth":8,"interlaced":false)"},
        {3, 8, false, "8 bit palette colors", R"("channels":["index"],"bit_depth":8,"interlaced":false)"},
    };
    const png::Chunk palette{"PLTE", Bytes(3 * 256, 0x5A)};
    for (const auto& row : rows) {
        const png::Picture picture = png::RandomPicture(40, 30, row.colourType, row.bitDepth, row.interlaced, 3);
        const std::vector<png::Chunk> chunks = row.colourType == 3 ? std::vector{palette} : std::vector<png::Chunk>{};
        WriteFile(dir.File("p.png"), png::Encode(picture, chunks));
        const CliRun text = Cli("--language en info " + Q("p.png"));
        EXPECT_EQ(text.out.substr(0, text.out.find('\n')), std::string("PNG picture, 40x30 pixels, ") + row.words);
        const CliRun json = Cli("info " + Q("p.png") + " --json");
        EXPECT_NE(json.out.find(std::string(",") + row.json + ",\"free\":"), std::string::npos) << json.out;
    }
    png::Picture shallow = png::RandomPicture(40, 30, 0, 8, false, 3);
    shallow.bitDepth = 4;
    WriteFile(dir.File("p.png"), png::Encode(shallow));
    const CliRun refused = Cli("--language en info " + Q("p.png"));
    EXPECT_EQ(refused.exitCode, 1);
    const std::string said = refused.out + refused.err;
    EXPECT_NE(said.find("The selected PNG picture has a color depth of 4 bit."), std::string::npos) << said;
    EXPECT_EQ(Cli("info " + Q("p.png") + " --json").out, "");
}

// What a hide may change in a PNG: the low bits of colour samples (of a 16-bit sample, its
// less significant byte); never alpha, the size, the kind or any other chunk.
void ExpectOnlyLowBitsChanged(const Bytes& beforeFile, const Bytes& afterFile, int bits) {
    const png::Picture before = png::Decode(beforeFile), after = png::Decode(afterFile);
    ASSERT_EQ(std::tie(after.width, after.height, after.colourType, after.bitDepth, after.interlaced),
              std::tie(before.width, before.height, before.colourType, before.bitDepth, before.interlaced));
    ASSERT_EQ(after.samples.size(), before.samples.size());
    const int channels = png::Channels(before.colourType), bytes = before.bitDepth / 8;
    const bool alpha = before.colourType == 4 || before.colourType == 6;
    size_t changed = 0;
    for (size_t i = 0; i < before.samples.size(); ++i) {
        const bool alphaByte = alpha && static_cast<int>(i / bytes % channels) == channels - 1;
        const bool lowByte = static_cast<int>(i % bytes) == bytes - 1;
        const int mask = alphaByte || !lowByte ? 0xFF : 0xFF & ~((1 << bits) - 1);
        EXPECT_EQ(before.samples[i] & mask, after.samples[i] & mask) << "sample byte " << i;
        changed += before.samples[i] != after.samples[i];
    }
    EXPECT_GT(changed, 0u);
    std::vector<png::Chunk> kept = png::Chunks(beforeFile), written = png::Chunks(afterFile);
    const auto notData = [](const png::Chunk& chunk) { return chunk.type == "IDAT"; };
    std::erase_if(kept, notData);
    std::erase_if(written, notData);
    EXPECT_EQ(written, kept);
}

// Hide, info and extract through the command line over each PNG kind the engine takes.
TEST_F(CliTest, PngRoundTripsForEachKind) {
    std::ofstream(dir.File("pw")) << "open sesame";
    const struct {
        uint8_t colourType, bitDepth;
        bool interlaced;
        int bits;
        const char* options;
    } rows[] = {
        {2, 8, false, 2, "--cipher rc4 --passphrase-file pw"},
        {6, 8, true, 4, "--no-compress --cipher none"},
        {0, 8, false, 1, "--compress --cipher none"},
        {4, 16, false, 2, "--no-compress --cipher twofish --passphrase-file pw"},
        {2, 16, true, 4, "--compress --cipher none"},
        {3, 8, false, 1, "--no-compress --cipher none"},
    };
    const std::vector<png::Chunk> before = {{"gAMA", {0, 0, 0xB1, 0x8F}}, {"tEXt", {'k', 0, 'v'}}};
    const std::vector<png::Chunk> after = {{"zzZz", {1, 2, 3}}};  // unknown, safe to copy
    for (const auto& row : rows) {
        const std::string kind = std::to_string(row.colourType) + "/" + std::to_string(row.bitDepth);
        SCOPED_TRACE(kind);
        std::vector<png::Chunk> chunks = before;
        if (row.colourType == 3) chunks.push_back({"PLTE", RandomBytes(3 * 256, 5)});
        const png::Picture picture = png::RandomPicture(90, 70, row.colourType, row.bitDepth, row.interlaced, 11);
        const Bytes original = png::Encode(picture, chunks, after, 997);
        WriteFile(dir.File("c.png"), original);
        const std::string typeBefore = Lines(Cli("info " + Q("c.png")).out).at(0);
        const Bytes data = RandomBytes(400, row.colourType);
        WriteFile(dir.File("d.bin"), data);
        const CliRun hide = Cli("hide " + Q("c.png") + " " + Q("d.bin") + " --quiet --bits " +
                                std::to_string(row.bits) + " " + row.options);
        ASSERT_EQ(hide.exitCode, 0) << hide.err;
        EXPECT_EQ(Lines(Cli("info " + Q("c.png")).out).at(0), typeBefore);
        ExpectOnlyLowBitsChanged(original, ReadFile(dir.File("c.png")), row.bits);
        const bool encrypted = std::string(row.options).find("pw") != std::string::npos;
        const std::string passphrase = encrypted ? " --passphrase-file pw" : "";
        const CliRun extract = Cli("extract " + Q("c.png") + " " + Q("back.bin") + " --force --quiet" + passphrase);
        ASSERT_EQ(extract.exitCode, 0) << extract.err;
        EXPECT_EQ(ReadFile(dir.File("back.bin")), data);
    }
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

// Shell completion reads these lists at completion time, so they are a format of their own.
TEST_F(CliTest, ListsNamesForCompletion) {
    const CliRun ciphers = Cli("--list ciphers");
    ASSERT_EQ(ciphers.exitCode, 0);
    EXPECT_EQ(Lines(ciphers.out),
              (std::vector<std::string>{"none", "blowfish", "rc4", "skipjack", "tea", "twofish", "xchacha20"}));
    EXPECT_EQ(Lines(Cli("--list methods").out), (std::vector<std::string>{"classic", "stealth"}));
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
                                                       {"--method", "classic"},
                                                       {"--language", "en"},
                                                       {"--settings", Q("none.ini")},
                                                       {"--output", Q("new.bmp")},
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

// Blanks at either end of an argument belong to the file name.
TEST_F(CliTest, PathsWithOuterBlanksNameOtherFiles) {
    HideRc4();
    const Bytes carrier = ReadFile(dir.File("c.bmp"));
    EXPECT_EQ(Cli("hide ' c.bmp' d.bin --no-compress --cipher none").exitCode, 1);
    EXPECT_EQ(ReadFile(dir.File("c.bmp")), carrier);
    WriteFile(dir.File("out"), Bytes{'k', 'e', 'e', 'p'});
    ASSERT_EQ(Cli("extract c.bmp 'out ' --force --passphrase-file pw").exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("out ")), ReadFile(dir.File("d.bin")));
    EXPECT_EQ(ReadFile(dir.File("out")), (Bytes{'k', 'e', 'e', 'p'}));
}

TEST_F(CliTest, OutputsThatAreTheCarrierOrNoRegularFileAreRefused) {
    HideRc4();
    const Bytes carrier = ReadFile(dir.File("c.bmp"));
    for (const char* args : {"extract c.bmp c.bmp --passphrase-file pw --force", "export c.bmp ./c.bmp --force"}) {
        const CliRun run = Cli(std::string("--language en ") + args);
        EXPECT_EQ(run.exitCode, 1) << args;
        EXPECT_NE(run.err.find(Text(kLanguageBaseEnglish, TextId::OutputIsCarrierText)), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(dir.File("c.bmp")), carrier);
    }
    ASSERT_EQ(::mkfifo(dir.File("myfifo").c_str(), 0600), 0);
    const CliRun fifo = Cli("--language de export c.bmp myfifo --force");
    EXPECT_EQ(fifo.exitCode, 1);
    EXPECT_NE(fifo.err.find(Text(0, TextId::OutputNotRegularText)), std::string::npos) << fifo.err;
    EXPECT_TRUE(S_ISFIFO(Mode("myfifo")));
}

// hide --output writes a new file and never touches the carrier, whatever happens: a
// success, a refusal before writing, the carrier itself under another name, an existing
// output without --force. Every carrier kind goes the same way.
TEST_F(CliTest, HideWithOutputNeverChangesTheCarrier) {
    const Bytes data = RandomBytes(300, 1);
    WriteFile(dir.File("d.bin"), data);
    WriteFile(dir.File("big.bin"), RandomBytes(20000, 2));
    const std::string marker = "quoting ~hTwKlo~ here";
    WriteFile(dir.File("marker.txt"), Bytes(marker.begin(), marker.end()));
    WriteFile(dir.File("c.png"), png::Encode(png::RandomPicture(60, 40, 2, 8, false, 3)));
    MakeBitmap(dir.File("c.bmp"), 60, 40, 24, false, 4);
    MakeRaw(dir.File("c.raw"), 7200, 5);
    const struct {
        const char* what;
        const char* dataFile;
        const char* output;  // "#" stands for the carrier's extension
        const char* options;
        int exitCode;
        const char* said;  // on stderr, in English
    } rows[] = {
        {"too large", "big.bin", "new.#", "", 1, "The data file is too large for the carrier file."},
        {"holding the end marker", "marker.txt", "new.#", "", 1, "The data contains the end marker"},
        {"the carrier", "d.bin", "c.#", "--force", 1, "The output file is the carrier file itself."},
        {"the carrier by a path", "d.bin", "./sub/../c.#", "--force", 1, "The output file is the carrier file itself."},
        {"a hard link", "d.bin", "hard.#", "--force", 1, "The output file is the carrier file itself."},
        {"a symbolic link", "d.bin", "soft.#", "--force", 1, "The output file is the carrier file itself."},
        {"existing, no --force", "d.bin", "kept.#", "", 1, "The selected file already exists."},
        {"of another kind", "d.bin", "new.#.jpg", "", 1, "The new file needs an extension of the carrier file's kind"},
        {"new", "d.bin", "new.#", "", 0, ""},
        {"existing, --force", "d.bin", "kept.#", "--force", 0, ""},
    };
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0700), 0);
    for (const std::string extension : {"png", "bmp", "raw"}) {
        const std::string carrier = "c." + extension;
        const Bytes original = ReadFile(dir.File(carrier));
        ASSERT_EQ(::link(dir.File(carrier).c_str(), dir.File("hard." + extension).c_str()), 0);
        ASSERT_EQ(::symlink(carrier.c_str(), dir.File("soft." + extension).c_str()), 0);
        WriteFile(dir.File("kept." + extension), Bytes(4, 'k'));
        for (const auto& row : rows) {
            std::string output = row.output;
            output.replace(output.find('#'), 1, extension);
            SCOPED_TRACE(carrier + ", output " + row.what);
            const CliRun run = Cli("--language en hide " + carrier + " " + row.dataFile + " --output " + output +
                                   " --no-compress --cipher none --quiet " + row.options);
            EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
            EXPECT_NE(run.err.find(row.said), std::string::npos) << run.err;
            EXPECT_EQ(ReadFile(dir.File(carrier)), original);
            if (row.exitCode != 0) continue;
            ASSERT_EQ(Cli("extract " + output + " back.bin --force --quiet").exitCode, 0);
            EXPECT_EQ(ReadFile(dir.File("back.bin")), data);
        }
        EXPECT_EQ(Cli("extract " + carrier + " back.bin --force --quiet").exitCode, 1);  // nothing hidden there
    }
    // Nothing refused was left behind, and no scratch file either.
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"back.bin", "big.bin",  "c.bmp",      "c.png",    "c.raw",
                                                       "d.bin",    "hard.bmp", "hard.png",   "hard.raw", "kept.bmp",
                                                       "kept.png", "kept.raw", "marker.txt", "new.bmp",  "new.png",
                                                       "new.raw",  "soft.bmp", "soft.png",   "soft.raw", "sub"}));
}

// A new output gets 0666 less the umask, also when it went through private scratch files; a
// replaced one keeps its mode.
TEST_F(CliTest, OutputModesFollowTheUmaskOrTheReplacedFile) {
    HideRc4();
    ASSERT_EQ(Cli("extract c.bmp new.txt --passphrase-file pw", "umask 022;").exitCode, 0);
    EXPECT_EQ(Mode("new.txt") & 07777, 0644u);
    ASSERT_EQ(Cli("extract c.bmp private.txt --passphrase-file pw", "umask 077;").exitCode, 0);
    EXPECT_EQ(Mode("private.txt") & 07777, 0600u);
    ASSERT_EQ(Cli("export c.bmp stream.bin", "umask 002;").exitCode, 0);
    EXPECT_EQ(Mode("stream.bin") & 07777, 0664u);
    WriteFile(dir.File("kept.txt"), Bytes{'x'});
    ASSERT_EQ(::chmod(dir.File("kept.txt").c_str(), 0640), 0);
    ASSERT_EQ(Cli("extract c.bmp kept.txt --passphrase-file pw --force", "umask 022;").exitCode, 0);
    EXPECT_EQ(Mode("kept.txt") & 07777, 0640u);
    EXPECT_EQ(ReadFile(dir.File("kept.txt")), ReadFile(dir.File("d.bin")));
}

// A passphrase file is a regular file or a pipe of at most 64 KiB; anything else ends with a
// message and exit 1 instead of filling the memory.
TEST_F(CliTest, PassphraseFilesAreBoundedAndOfTheRightKind) {
    HideRc4();
    const auto refusal = [&](const std::string& file) {
        const CliRun run = Cli("--language en extract c.bmp out --passphrase-file " + file);
        EXPECT_EQ(run.exitCode, 1) << file;
        return run.err;
    };
    EXPECT_EQ(refusal("/dev/zero"), Text(kLanguageBaseEnglish, TextId::PassphraseFileKindText) + "\n");
    WriteFile(dir.File("long"), Bytes(64 * 1024 + 1, 'a'));
    EXPECT_EQ(refusal("long"), Text(kLanguageBaseEnglish, TextId::PassphraseFileTooLongText) + "\n");
    EXPECT_EQ(refusal("missing").rfind(Text(kLanguageBaseEnglish, TextId::PassphraseFileUnreadableText), 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    // The writer comes a moment after the reader, as it may from another program; it is bounded
    // so that a reader that gave up cannot leave it waiting.
    ASSERT_EQ(Cli("extract c.bmp out --passphrase-file pipe",
                  "(sleep 1; timeout 10 sh -c \"printf 'sesame street' >pipe\" &);")
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile(dir.File("out")), ReadFile(dir.File("d.bin")));
}

// A FIFO nobody writes to is looked at without waiting for a writer.
TEST_F(CliTest, FifosWithoutWriterNeverHang) {
    HideRc4();
    ASSERT_EQ(::mkfifo(dir.File("fifo.bmp").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const std::string limit = "timeout 20";
    EXPECT_EQ(Cli("info fifo.bmp", limit).exitCode, 1);
    for (const char* args :
         {"size fifo --no-compress --cipher none", "size fifo", "--settings fifo info c.bmp",
          "hide c.bmp d.bin --cipher rc4 --passphrase-file fifo", "extract c.bmp out --passphrase-file fifo"}) {
        const int code = Cli(args, limit).exitCode;
        EXPECT_TRUE(code == 0 || code == 1) << args << ": " << code;
    }
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
    EXPECT_NE(hide.err.find("The color table of this 8-bit bitmap holds fewer than 256 entries."), std::string::npos)
        << hide.err;
    EXPECT_EQ(ReadFile(dir.File("c.bmp")), holding);
    ASSERT_EQ(Cli("extract " + Q("c.bmp") + " " + Q("back.txt") + " --quiet").exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("back.txt")), Bytes(100, 'd'));
    EXPECT_EQ(Cli("export " + Q("c.bmp") + " " + Q("low.bin") + " --bits 2").exitCode, 0);
    // A PNG palette picture is told in its own terms.
    png::Picture indexed = png::RandomPicture(64, 32, 3, 8, false, 6);
    for (uint8_t& index : indexed.samples) index %= 19;
    const Bytes shortPalette = png::Encode(indexed, {{"PLTE", RandomBytes(3 * 19, 6)}});
    WriteFile(dir.File("c.png"), shortPalette);
    const CliRun png = Cli("--language en hide " + Q("c.png") + " " + Q("d.txt") + " --no-compress --cipher none");
    EXPECT_EQ(png.exitCode, 1);
    EXPECT_NE(png.err.find("The palette of this PNG picture holds fewer than 256 entries."), std::string::npos)
        << png.err;
    EXPECT_EQ(ReadFile(dir.File("c.png")), shortPalette);
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
                      .err.find("The data file is too large for the carrier file."),
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
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"big.bin"}));
}

// The stealth method end to end: every carrier kind it takes, compressed or not, found again
// by a plain extract (no classic marker, so the passphrase is tried) and byte for byte.
TEST_F(CliTest, StealthRoundTripsOverEveryCarrierKind) {
    std::ofstream(dir.File("pw")) << "Tarnkappe 7\n";
    const struct {
        const char* name;
        Bytes file;
        const char* compress;
    } rows[] = {
        {"colour.bmp", BitmapBytes(151, 97, 24, false, 11), "--compress"},
        {"top-down.bmp", BitmapBytes(120, 100, 24, true, 12), "--no-compress"},
        {"grey.bmp", BitmapBytes(200, 160, 8, false, 13), "--compress"},
        {"grey-plain.bmp", BitmapBytes(200, 160, 8, false, 14), "--no-compress"},
        {"colour.png", png::Encode(png::RandomPicture(120, 100, 2, 8, false, 15)), "--no-compress"},
        {"grey16.png", png::Encode(png::RandomPicture(180, 180, 0, 16, false, 16)), "--compress"},
        {"grey.png", png::Encode(png::RandomPicture(181, 179, 0, 8, true, 17)), "--no-compress"},
    };
    const Bytes data = RandomBytes(200, 18);
    WriteFile(dir.File("d.bin"), data);
    for (const auto& row : rows) {
        WriteFile(dir.File(row.name), row.file);
        const CliRun hide = Cli("hide " + Q(row.name) + " d.bin --method stealth --passphrase-file pw " + row.compress);
        ASSERT_EQ(hide.exitCode, 0) << row.name << hide.err;
        EXPECT_NE(ReadFile(dir.File(row.name)), row.file) << row.name;
        const CliRun extract = Cli("extract " + Q(row.name) + " out.bin --passphrase-file pw");
        ASSERT_EQ(extract.exitCode, 0) << row.name << extract.err;
        EXPECT_EQ(ReadFile(dir.File("out.bin")), data) << row.name;
        std::filesystem::remove(dir.File("out.bin"));
    }
}

// A wrong passphrase, a clean picture, a changed sample and a cropped picture give one answer,
// write nothing and leave the carrier as it was.
TEST_F(CliTest, StealthGivesOneAnswerForEveryWayOfNotFinding) {
    std::ofstream(dir.File("pw")) << "Tarnkappe 7";
    std::ofstream(dir.File("wrong")) << "Tarnkappe 8";
    const Bytes clean = BitmapBytes(140, 100, 24, false, 21);
    WriteFile(dir.File("c.bmp"), clean);
    WriteFile(dir.File("clean.bmp"), clean);
    WriteFile(dir.File("d.txt"), RandomBytes(300, 22));
    ASSERT_EQ(Cli("hide c.bmp d.txt --method stealth --passphrase-file pw").exitCode, 0);
    Bytes tampered = ReadFile(dir.File("c.bmp"));
    tampered[tampered.size() / 2] ^= 1;
    WriteFile(dir.File("tampered.bmp"), tampered);
    Bytes cropped = ReadFile(dir.File("c.bmp"));
    cropped.resize(cropped.size() - BitmapRowBytes(140, 24));
    PutLe32(cropped, bmp::kHeight, 99);
    PutLe32(cropped, bmp::kFileSize, static_cast<int32_t>(cropped.size()));
    PutLe32(cropped, bmp::kImageSize, static_cast<int32_t>(cropped.size()) - kBmpHeaders);
    WriteFile(dir.File("cropped.bmp"), cropped);
    const std::string answer = "No hidden data found for this passphrase.\nPlease enter the correct passphrase.\n";
    const std::pair<const char*, const char*> rows[] = {
        {"c.bmp", "wrong"}, {"clean.bmp", "pw"}, {"tampered.bmp", "pw"}, {"cropped.bmp", "pw"}};
    for (const auto& [carrier, passphrase] : rows) {
        const Bytes before = ReadFile(dir.File(carrier));
        for (const char* method : {"", " --method stealth"}) {
            const CliRun run =
                Cli("--language en extract " + Q(carrier) + " out.txt --passphrase-file " + passphrase + method);
            EXPECT_EQ(run.exitCode, 1) << carrier << method;
            EXPECT_EQ(run.err, answer) << carrier << method;
            EXPECT_FALSE(std::filesystem::exists(dir.File("out.txt"))) << carrier << method;
        }
        EXPECT_EQ(ReadFile(dir.File(carrier)), before) << carrier;
    }
    // Without a passphrase to try, a script keeps the probe's answer; asked for stealth data
    // alone, the passphrase is missing.
    const CliRun probe = Cli("--language en extract clean.bmp out.txt");
    EXPECT_EQ(probe.exitCode, 1);
    EXPECT_EQ(probe.err, "NO DATA FOUND!\n");
    EXPECT_EQ(Cli("extract clean.bmp out.txt --method stealth").exitCode, 2);
}

// Carriers the method cannot use are refused with the reason and the classic method as the
// way out; above the recommended room a hide needs --force. Nothing changes until it succeeds.
TEST_F(CliTest, StealthRefusesUnsuitableCarriersAndAsksAboveTheRecommendedRoom) {
    std::ofstream(dir.File("pw")) << "Tarnkappe 7";
    Bytes palette = BitmapBytes(200, 160, 8, false, 31);
    palette[kBmpHeaders + 4 * 77 + 1] ^= 0x40;  // entry 77 no longer grey
    WriteFile(dir.File("palette.bmp"), palette);
    MakeRaw(dir.File("c.raw"), 90000, 32);
    MakeBitmap(dir.File("tiny.bmp"), 40, 30, 24, false, 33);
    MakeBitmap(dir.File("c.bmp"), 151, 97, 24, false, 34);
    WriteFile(dir.File("d.bin"), RandomBytes(600, 35));  // above 476 bytes, below 1800
    const std::string classic = "Use the classic method for this picture.\n";
    const std::pair<const char*, std::string> rows[] = {
        {"palette.bmp",
         "Palette pictures cannot carry data with the stealth method: a change by a single step "
         "would change a colour.\n" +
             classic},
        {"c.raw",
         "RAW files cannot carry data with the stealth method: their width and height are unknown.\n" + classic},
        {"tiny.bmp", "The picture is too small or too plain for the stealth method.\n" + classic},
        {"c.bmp",
         "The data is larger than the recommended room of the stealth method in this picture.\nThe more "
         "data a picture carries, the easier it is to detect. Hide the data anyway?\n(--force answers yes)\n"},
    };
    for (const auto& [carrier, message] : rows) {
        const Bytes before = ReadFile(dir.File(carrier));
        const CliRun run = Cli("--language en hide " + Q(carrier) +
                               " d.bin --no-compress --method stealth "
                               "--passphrase-file pw");
        EXPECT_EQ(run.exitCode, 1) << carrier;
        EXPECT_EQ(run.err, message) << carrier;
        EXPECT_EQ(ReadFile(dir.File(carrier)), before) << carrier;
    }
    EXPECT_EQ(Cli("hide c.bmp d.bin --no-compress --method stealth --passphrase-file pw --force").exitCode, 0);
    EXPECT_EQ(Cli("extract c.bmp out.bin --method stealth --passphrase-file pw").exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("out.bin")), ReadFile(dir.File("d.bin")));
}

}  // namespace
}  // namespace tarnwerk::test
