// The hide, extract, export and size workflows driven through Commands, the way the window and
// the command line drive them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/AppFakes.h"
#include "app/Commands.h"
#include "app/PassphraseEntry.h"
#include "config/NumberFormat.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string TextLikeData(size_t size) {
    std::string text;
    while (text.size() < size) text += "Tarnwerk hides a file inside a picture. ";
    text.resize(size);
    return text;
}

class WorkflowTest : public ::testing::Test {
protected:
    WorkflowTest() : session(EnglishSession(dir.File("tarnwerk.ini"))), commands(session, ui, desktop) {
        session.settings.ShowEndMessage = 1;
        session.settings.ResetOnEnd = 0;
        data = dir.File("notes.txt");
        Put(data, TextLikeData(3000));
    }

    void Configure(bool compress, int cipher, int bits) {
        session.settings.Compression = compress ? 1 : 0;
        session.settings.Encryption = cipher >= 0 ? 1 : 0;
        if (cipher >= 0) session.settings.Algorithmus = static_cast<uint8_t>(cipher);
        session.bitsPerByte = bits;
    }

    bool Hide(const std::string& carrier, const std::string& passphrase = "open sesame") {
        if (!commands.LoadCarrier(carrier)) return false;
        commands.SetDataFile(data);
        ui.newPassphrases.push_back(passphrase);
        return commands.Hide();
    }

    bool Extract(const std::string& carrier, const std::string& output) {
        if (!commands.LoadCarrier(carrier)) return false;
        commands.SetDataFile(output);
        return commands.Extract();
    }

    // Every file in the folder that a workflow may have left behind; kept names a test put
    // there itself.
    std::vector<std::string> ScratchLeftovers(const std::string& kept = {}) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name.find(".tmp") != std::string::npos && name != kept) found.push_back(name);
        }
        return found;
    }

    // Writes bytes into the carrier as a payload with the given header fields, bypassing the
    // hide workflow's preparation.
    void Plant(const std::string& carrier, const std::string& bytes, bool compressed, bool encrypted,
               const std::string& checkValue = {}) {
        ASSERT_TRUE(commands.LoadCarrier(carrier));
        Put(dir.File("planted.bin"), bytes);
        const PayloadSource source{
            dir.File("planted.bin"), static_cast<int64_t>(bytes.size()), compressed, encrypted, 0, checkValue, "txt"};
        ASSERT_TRUE(HidePayload(session.carrier, 2, source));
        fs::remove(dir.File("planted.bin"));
    }

    TempDir dir;
    Session session;
    FakeUi ui;
    FakeDesktop desktop;
    Commands commands;
    std::string data;
};

// ---- round trips ----

struct RoadCase {
    const char* carrier;  // "bmp24", "bmp8", "raw"
    int bits;
    bool compress;
    int cipher;  // -1: no encryption
};

class RoadTest : public WorkflowTest, public ::testing::WithParamInterface<RoadCase> {};

TEST_P(RoadTest, HideThenExtractGivesTheDataBack) {
    const RoadCase road = GetParam();
    const std::string carrier =
        dir.File(std::string("carrier.") + (std::string(road.carrier) == "raw" ? "raw" : "bmp"));
    Bytes original;
    if (std::string(road.carrier) == "raw")
        original = MakeRaw(carrier, 120000, 7);
    else
        original = MakeBitmap(carrier, 201, 150, std::string(road.carrier) == "bmp8" ? 8 : 24, false, 7);
    Configure(road.compress, road.cipher, road.bits);

    ASSERT_TRUE(Hide(carrier)) << ui.Transcript();
    EXPECT_EQ(ui.LastMessage().text, En(435));
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Information);

    // Only the low bits of the picture area may have changed.
    const Bytes hidden = ReadFile(carrier);
    ASSERT_EQ(hidden.size(), original.size());
    const uint8_t highBits = static_cast<uint8_t>(0xFF << road.bits);
    for (size_t i = 0; i < hidden.size(); ++i) ASSERT_EQ(hidden[i] & highBits, original[i] & highBits) << i;

    session.bitsPerByte = 1;  // the extraction probes the depth itself
    ui.passphrases.push_back("open sesame");
    ASSERT_TRUE(Extract(carrier, dir.File("back.txt"))) << ui.Transcript();
    EXPECT_EQ(Slurp(dir.File("back.txt")), Slurp(data));
    EXPECT_EQ(ui.LastMessage().text, En(430));
    EXPECT_TRUE(ScratchLeftovers().empty());
    EXPECT_FALSE(session.commandRunning);
}

INSTANTIATE_TEST_SUITE_P(Roads, RoadTest,
                         // Every cipher once, across carriers, depths and compression (plain roads: CommandsTest).
                         ::testing::Values(RoadCase{"bmp24", 4, false, 1}, RoadCase{"bmp8", 1, true, 0},
                                           RoadCase{"bmp8", 2, false, 2}, RoadCase{"raw", 4, true, 3},
                                           RoadCase{"raw", 1, false, 4}, RoadCase{"bmp24", 2, true, 5}));

// ---- passphrases on extraction ----

class PassphraseTest : public WorkflowTest {
protected:
    void SetUp() override {
        carrier = dir.File("c.bmp");
        MakeBitmap(carrier, 120, 90, 24, false, 3);
        Configure(true, 3, 2);  // TEA
        ASSERT_TRUE(Hide(carrier, "right one"));
        session.settings.Algorithmus = 0;  // the setting now names Blowfish
        ui.messages.clear();
    }
    std::string carrier;
    std::string output = dir.File("out.txt");
};

TEST_F(PassphraseTest, WrongWrongRightSucceedsWithTheCipherOfThePayload) {
    ui.passphrases = {"wrong", "also wrong", "right one"};
    ui.answers = {MessageAnswer::Retry, MessageAnswer::Retry};
    ASSERT_TRUE(Extract(carrier, output)) << ui.Transcript();
    EXPECT_EQ(Slurp(output), Slurp(data));
    ASSERT_EQ(ui.messages.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(ui.messages[i].text, EnLines({426, 429}));
        EXPECT_EQ(ui.messages[i].buttons, MessageButtons::RetryCancel);
        EXPECT_EQ(ui.messages[i].title, En(428));
    }
}

TEST_F(PassphraseTest, ThirdWrongPassphraseEndsAndRemovesTheOutput) {
    ui.passphrases = {"a1", "b2", "c3", "right one"};
    ui.answers = {MessageAnswer::Retry, MessageAnswer::Retry};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text, EnLines({426, 427}));
    EXPECT_EQ(ui.LastMessage().buttons, MessageButtons::Ok);
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(ui.passphrases.size(), 1u);  // the fourth was never asked
    EXPECT_TRUE(ScratchLeftovers().empty());
}

TEST_F(PassphraseTest, CancelKeepsTheEncryptedBytesWithoutSuccess) {
    ui.passphrases = {"wrong"};
    ui.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_TRUE(fs::exists(output));
    EXPECT_NE(Slurp(output), Slurp(data));
    for (const Message& m : ui.messages) EXPECT_NE(m.text, En(430));
}

TEST_F(PassphraseTest, UnstorableCharactersAreRefusedWhenHiding) {
    ui.messages.clear();
    ASSERT_FALSE(Hide(carrier,
                      "\xC5\x82\xC3\xB3"
                      "d"
                      "\xC5\xBA"));  // Polish letters outside the code page
    EXPECT_EQ(ui.LastMessage().text, EnLines({466, 467}));
    EXPECT_TRUE(ScratchLeftovers().empty());
}

// The authenticated cipher has no digest in the header: the failed tag stands for a wrong
// passphrase and leads into the same three tries. The tag covers the header too, so even the
// right passphrase fails once the stored extension was altered.
TEST_F(WorkflowTest, AuthenticatedCipherCountsFailedTagsAsWrongPassphrases) {
    const std::string carrier = dir.File("c.bmp");
    MakeBitmap(carrier, 120, 90, 24, false, 3);
    Configure(true, 5, 2);
    ASSERT_TRUE(Hide(carrier, "right one")) << ui.Transcript();
    // Stream byte 26 (marker, flags, cipher, salt) is the extension's first letter; at two bits
    // a byte it spans four carrier bytes, the last holding its lowest bits: "txt" -> "uxt".
    Bytes bytes = ReadFile(carrier);
    bytes[kBmpHeaders + 26 * 4 + 3] ^= 0x01;
    WriteFile(carrier, bytes);
    ASSERT_TRUE(commands.LoadCarrier(carrier));
    ASSERT_EQ(ReadPayloadHeader(session.carrier)->header.extension, "uxt");
    ui.messages.clear();
    ui.passphrases = {"right one", "right one", "right one"};
    ui.answers = {MessageAnswer::Retry, MessageAnswer::Retry};
    const std::string output = dir.File("out.txt");
    EXPECT_FALSE(Extract(carrier, output));
    ASSERT_EQ(ui.messages.size(), 3u) << ui.Transcript();
    EXPECT_EQ(ui.messages[0].text, EnLines({426, 429}));
    EXPECT_EQ(ui.LastMessage().text, EnLines({426, 427}));
    EXPECT_FALSE(fs::exists(output));
    EXPECT_TRUE(ScratchLeftovers().empty());

    // The needed size counts nonce and tag without deriving a key.
    commands.SetDataFile(data);
    ASSERT_TRUE(commands.CalculateSize());
    const int64_t withTag = session.payloadSize;
    session.settings.Algorithmus = 1;  // RC4 keeps the length
    ASSERT_TRUE(commands.CalculateSize());
    EXPECT_EQ(withTag, session.payloadSize + 40);
}

// ---- failures lose nothing ----

TEST_F(WorkflowTest, NoDataFoundLeavesAnExistingOutputUntouched) {
    const std::string carrier = dir.File("empty.bmp");
    MakeBitmap(carrier, 64, 64, 24, false, 9);
    const std::string output = dir.File("keep.txt");
    Put(output, "precious");
    ui.answers = {MessageAnswer::Yes};  // replace it
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text, En(444));
    EXPECT_EQ(Slurp(output), "precious");
}

TEST_F(WorkflowTest, DecliningTheOverwriteQuestionStopsBeforeTheEngine) {
    const std::string carrier = dir.File("c.bmp");
    MakeBitmap(carrier, 100, 100, 24, false, 1);
    Configure(false, -1, 2);
    ASSERT_TRUE(Hide(carrier));
    const std::string output = dir.File("keep.txt");
    Put(output, "precious");
    ui.answers = {MessageAnswer::No};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text, EnLines({441, 442}));
    EXPECT_EQ(Slurp(output), "precious");
}

TEST_F(WorkflowTest, AnExistingFileWithTheScratchNameIsKept) {
    const std::string carrier = dir.File("c.bmp");
    MakeBitmap(carrier, 150, 100, 24, false, 1);
    Put(data + ".tmp", "the user's own file");
    Configure(true, 1, 2);
    ASSERT_TRUE(Hide(carrier)) << ui.Transcript();
    EXPECT_EQ(Slurp(data + ".tmp"), "the user's own file");
    EXPECT_TRUE(ScratchLeftovers("notes.txt.tmp").empty());
}

TEST_F(WorkflowTest, CorruptCompressedDataIsReportedAndKept) {
    const std::string carrier = dir.File("c.bmp");
    MakeBitmap(carrier, 150, 100, 24, false, 1);
    Plant(carrier, "not a zlib stream", true, false);

    EXPECT_FALSE(Extract(carrier, dir.File("out.txt")));
    EXPECT_EQ(ui.LastMessage().text, EnLines({461, 463}));
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Critical);
    EXPECT_EQ(Slurp(dir.File("out.txt")), "not a zlib stream");
    EXPECT_TRUE(ScratchLeftovers().empty());
}

TEST_F(WorkflowTest, ARemovedDataFileIsNamedInTheMessage) {
    const std::string carrier = dir.File("c.bmp");
    const Bytes before = MakeBitmap(carrier, 100, 100, 24, false, 1);
    ASSERT_TRUE(commands.LoadCarrier(carrier));
    commands.SetDataFile(data);
    fs::remove(data);
    EXPECT_FALSE(commands.Hide());
    EXPECT_EQ(ui.LastMessage().text.rfind(En(436) + "\r\n(", 0), 0u) << ui.Transcript();
    EXPECT_NE(ui.LastMessage().text.find("notes.txt"), std::string::npos);
    EXPECT_EQ(ReadFile(carrier), before);
    EXPECT_TRUE(ScratchLeftovers().empty());
}

TEST_F(WorkflowTest, AnEndlessDeviceIsRefusedAsData) {
    const std::string carrier = dir.File("c.bmp");
    const Bytes before = MakeBitmap(carrier, 100, 100, 24, false, 1);
    data = "/dev/zero";
    EXPECT_FALSE(Hide(carrier));
    EXPECT_EQ(ui.LastMessage().text, En(436) + "\r\n(not a file: /dev/zero)");
    EXPECT_EQ(ReadFile(carrier), before);
    EXPECT_FALSE(fs::exists("/dev/zero.tmp"));
}

// Data on a medium that takes no new files: the scratch files go to the temporary folder.
TEST_F(WorkflowTest, DataInAFolderThatTakesNoFilesIsStillHidden) {
    std::string source;
    if (geteuid() != 0) {
        fs::create_directory(dir.File("ro"));
        source = dir.File("ro/notes.txt");
        Put(source, TextLikeData(2000));
        chmod(dir.File("ro").c_str(), 0555);
    } else if (access("/sys/kernel/notes", R_OK) == 0) {
        source = "/sys/kernel/notes";  // sysfs refuses new files even to root
    } else {
        GTEST_SKIP() << "no folder here refuses new files";
    }
    const std::string expected = Slurp(source);
    const std::string carrier = dir.File("c.bmp");
    MakeBitmap(carrier, 150, 100, 24, false, 1);
    const char* previous = getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    setenv("TMPDIR", dir.path().c_str(), 1);
    Configure(true, 2, 2);
    data = source;
    const bool hidden = Hide(carrier);
    EXPECT_TRUE(ScratchLeftovers().empty());
    if (previous)
        setenv("TMPDIR", kept.c_str(), 1);
    else
        unsetenv("TMPDIR");
    chmod(dir.File("ro").c_str(), 0755);
    ASSERT_TRUE(hidden) << ui.Transcript();

    ui.passphrases.push_back("open sesame");
    ASSERT_TRUE(Extract(carrier, dir.File("back.txt"))) << ui.Transcript();
    EXPECT_EQ(Slurp(dir.File("back.txt")), expected);
}

TEST_F(WorkflowTest, TooLargeDataIsRefusedBeforeTheCarrierIsTouched) {
    const std::string carrier = dir.File("small.bmp");
    const Bytes before = MakeBitmap(carrier, 20, 20, 24, false, 1);
    Configure(false, -1, 1);
    EXPECT_FALSE(Hide(carrier));
    EXPECT_EQ(ui.LastMessage().text, EnLines({433, 434}));
    EXPECT_EQ(ui.LastMessage().title, En(432));
    EXPECT_EQ(ReadFile(carrier), before);
}

TEST_F(WorkflowTest, CancelledCarrierDialogEndsSilentlyAndReady) {
    EXPECT_FALSE(commands.Hide());
    EXPECT_EQ(ui.carrierDialogs, 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.statuses.back(), std::make_pair(0, " " + En(301)));
    EXPECT_FALSE(ui.busy.back());
}

TEST_F(WorkflowTest, FailedDecryptionKeepsTheEncryptedBytes) {
    // The digest matches, but the payload is no whole Blowfish envelope.
    const std::string carrier = dir.File("c.bmp");
    MakeBitmap(carrier, 100, 100, 24, false, 4);
    PassphraseSecrets secrets;
    std::string typed = "right one";
    ASSERT_TRUE(DerivePassphrase(typed, secrets));
    Plant(carrier, "abc", false, true, secrets.digest);

    ui.passphrases = {"right one"};
    const std::string output = dir.File("out.txt");
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text.rfind(EnLines({462, 463}), 0), 0u) << ui.Transcript();
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Critical);
    EXPECT_EQ(Slurp(output), "abc");
    for (const Message& m : ui.messages) EXPECT_NE(m.text, En(430));
    EXPECT_TRUE(ScratchLeftovers().empty());
}

TEST_F(WorkflowTest, ACarrierLockedByAnotherWriterIsLeftAlone) {
    const std::string carrier = dir.File("c.bmp");
    const Bytes before = MakeBitmap(carrier, 100, 100, 24, false, 1);
    const int other = open(carrier.c_str(), O_RDONLY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    Configure(true, -1, 2);
    EXPECT_FALSE(Hide(carrier));
    close(other);
    EXPECT_EQ(ui.LastMessage().text, EnLines({464, 465}));
    EXPECT_EQ(ReadFile(carrier), before);
    EXPECT_TRUE(ScratchLeftovers().empty());
}

TEST_F(WorkflowTest, CancelledPassphraseEndsTheHideSilently) {
    const std::string carrier = dir.File("c.bmp");
    const Bytes before = MakeBitmap(carrier, 100, 100, 24, false, 1);
    Configure(true, 4, 2);
    ASSERT_TRUE(commands.LoadCarrier(carrier));
    commands.SetDataFile(data);
    EXPECT_FALSE(commands.Hide());  // no passphrase queued: the dialog is cancelled
    EXPECT_TRUE(ui.messages.empty()) << ui.Transcript();
    EXPECT_EQ(ReadFile(carrier), before);
    EXPECT_TRUE(ScratchLeftovers().empty());
    EXPECT_EQ(ui.statuses.back(), std::make_pair(0, " " + En(301)));
    EXPECT_EQ(ui.progress.back(), 0);
}

// ---- needed size ----

TEST_F(WorkflowTest, NeededSizeIsTheSmallestCarrierTheHideTakes) {
    for (int bits : {1, 2, 4}) {
        SCOPED_TRACE(bits);
        Configure(true, 1, bits);
        commands.SetDataFile(data);
        ASSERT_TRUE(commands.CalculateSize());
        const int64_t needed = session.payloadSize;  // checked through the message text below
        const std::string text = ui.LastMessage().text;
        const auto number = text.substr(En(418).size() + 1, text.find(' ', En(418).size() + 1) - En(418).size() - 1);
        std::string digits;
        for (char c : number)
            if (c >= '0' && c <= '9') digits += c;
        const int64_t n = std::stoll(digits);
        EXPECT_EQ(ui.LastMessage().title, En(417));
        EXPECT_GT(n, needed);

        const std::string fits = dir.File("fits.raw");
        MakeRaw(fits, static_cast<size_t>(n), 5);
        EXPECT_TRUE(Hide(fits)) << ui.Transcript();
        const std::string tooSmall = dir.File("small.raw");
        MakeRaw(tooSmall, static_cast<size_t>(n - 1), 5);
        EXPECT_FALSE(Hide(tooSmall));
        EXPECT_EQ(ui.LastMessage().text, EnLines({433, 434}));
        EXPECT_TRUE(ScratchLeftovers().empty());
    }
}

TEST_F(WorkflowTest, PlainNeededSizeAsksNothingAndMeasuresTheFileItself) {
    Configure(false, -1, 2);
    commands.SetDataFile(data);
    ASSERT_TRUE(commands.CalculateSize());
    EXPECT_EQ(session.fields.dSize, session.fields.dOrigSize);
    EXPECT_EQ(session.payloadSize, 3000);
    EXPECT_EQ(ui.LastMessage().text,
              En(418) + " " + FormatHashGroupZero((3000 + 24 + 10) * 8 / 2) + " " + En(419) + "\r\n" + En(420));

    Configure(false, 2, 2);  // encryption on: the trial passphrase, never the dialog
    ui.newPassphrases = {"unused"};
    ASSERT_TRUE(commands.CalculateSize());
    EXPECT_EQ(ui.newPassphrases.size(), 1u);
    EXPECT_TRUE(ScratchLeftovers().empty());
}

// ---- export ----

TEST_F(WorkflowTest, ExportWritesTheWholeLowBitStream) {
    const std::string carrier = dir.File("c.raw");
    MakeRaw(carrier, 4001, 2);
    session.bitsPerByte = 4;
    ASSERT_TRUE(commands.LoadCarrier(carrier));
    commands.SetDataFile(dir.File("bits.bin"));
    ASSERT_TRUE(commands.Export()) << ui.Transcript();
    EXPECT_EQ(ui.LastMessage().text, En(425));
    const Bytes raw = ReadFile(carrier);
    const Bytes out = ReadFile(dir.File("bits.bin"));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], static_cast<uint8_t>(((raw[0] & 0x0F) << 4) | (raw[1] & 0x0F)));
}

}  // namespace
}  // namespace tarnwerk::test
