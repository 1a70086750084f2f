// The hide, extract and size workflows driven through Commands, the way the window and the
// command line drive them.

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/AppFakes.h"
#include "app/PassphraseEntry.h"
#include "config/TextId.h"
#include "core/HidePayload.h"
#include "crypto/PayloadSeal.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

namespace fs = std::filesystem;

class WorkflowTest : public AppTest {
protected:
    WorkflowTest() {
        session.settings.ResetOnEnd = false;
        std::string text;
        for (int i = 0; i < 75; ++i) text += "Tarnwerk hides a file inside a picture. ";  // 3000 bytes
        Put(data, text);
    }
    void Configure(bool compress, int cipher, int bits) {
        session.settings.Compression = compress ? 1 : 0;
        session.settings.Encryption = cipher >= 0 ? 1 : 0;
        if (cipher >= 0) session.settings.Algorithmus = static_cast<CipherIndex>(cipher);
        session.settings.bitsPerByte = bits;
    }
    bool Hide(const std::string& into, const std::string& passphrase = "open sesame") {
        if (!commands.LoadCarrier(into)) return false;
        commands.SetDataFile(data);
        ui.newPassphrases.push_back(passphrase);
        return commands.Hide();
    }
    bool Extract(const std::string& from, const std::string& to) {
        if (!commands.LoadCarrier(from)) return false;
        commands.SetDataFile(to);
        return commands.Extract();
    }
    // The use case with the output named, as the command line names it.
    bool ExtractNamed(const std::string& name, bool exporting) {
        const ExtractRequest request{session.carrier, session.settings.bitsPerByte, name, ExtractMethod::Classic};
        const ExtractOutcome outcome =
            exporting ? tarnwerk::Export(request, ui, ui) : tarnwerk::Extract(request, ui, ui);
        for (const Notice& notice : outcome.notices) ui.ShowMessage(RenderNotice(kLanguageBaseEnglish, notice));
        return outcome.ok();
    }
    // Scratch files a workflow left in the folder, but for one the test put there itself.
    std::vector<std::string> Leftovers(const std::string& kept = {}) const {
        std::vector<std::string> found;
        for (const std::string& name : dir.Entries())
            if (name.find(".tmp") != std::string::npos && name != kept) found.push_back(name);
        return found;
    }

    std::string data = dir.File("notes.txt");
    std::string carrier = dir.File("c.bmp");
    std::string output = dir.File("out.txt");
};

// The whole road once per cipher, and the plain one: only the low bits change, the data comes back.
TEST_F(WorkflowTest, HideThenExtractGivesTheDataBackWithEveryCipher) {
    const struct {
        const char* kind;
        int bits;
        bool compress;
        int cipher;
    } roads[] = {{"bmp24", 4, false, 1}, {"bmp8", 1, true, 0},  {"bmp8", 2, false, 2}, {"raw", 4, true, 3},
                 {"raw", 1, false, 4},   {"bmp24", 2, true, 5}, {"raw", 2, true, -1}};
    for (const auto& road : roads) {
        SCOPED_TRACE(road.cipher);
        const bool raw = std::string(road.kind) == "raw";
        carrier = dir.File(raw ? "c.raw" : "c.bmp");
        const Bytes original = raw ? MakeRaw(carrier, 120000, 7)
                                   : MakeBitmap(carrier, 201, 150, std::string(road.kind) == "bmp8" ? 8 : 24, false, 7);
        Configure(road.compress, road.cipher, road.bits);
        ASSERT_TRUE(Hide(carrier)) << ui.Transcript();
        EXPECT_EQ(ui.LastMessage().text, En(TextId::HiddenText));
        const Bytes hidden = ReadFile(carrier);
        ASSERT_EQ(hidden.size(), original.size());
        for (size_t i = 0; i < hidden.size(); ++i) ASSERT_EQ(hidden[i] >> road.bits, original[i] >> road.bits) << i;
        session.settings.bitsPerByte = 1;  // the extraction probes the depth itself
        ui.passphrases.push_back("open sesame");
        ASSERT_TRUE(Extract(carrier, output)) << ui.Transcript();
        EXPECT_EQ(Slurp(output), Slurp(data));
        EXPECT_EQ(ui.LastMessage().text, En(TextId::ExtractedText));
        EXPECT_TRUE(Leftovers().empty());
        fs::remove(output);
    }
}

// No scratch file ever carries a name (a killed hide leaves no plaintext behind), and plain
// data is read where it lies: nothing is created beside the data, compressed or not.
TEST_F(WorkflowTest, HideCreatesNoNamedFileBesideTheData) {
    MakeRaw(carrier = dir.File("c.raw"), 120000, 7);
    for (const int cipher : {-1, 1, 5}) {
        SCOPED_TRACE(cipher);
        Configure(true, cipher, 2);
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_CREATE | IN_MOVED_TO), 0);
        ASSERT_TRUE(Hide(carrier)) << ui.Transcript();
        char events[4096];
        EXPECT_LE(::read(watch, events, sizeof events), 0);
        ::close(watch);
    }
}

TEST_F(WorkflowTest, ThreePassphraseTriesWithTheCipherOfThePayload) {
    MakeBitmap(carrier, 120, 90, 24, false, 3);
    Configure(true, 3, 2);  // TEA
    ASSERT_TRUE(Hide(carrier, "right one"));
    session.settings.Algorithmus = CipherIndex::Blowfish;  // the setting now names Blowfish
    ui.messages.clear();
    ui.passphrases = {"wrong", "also wrong", "right one"};
    ui.answers = {MessageAnswer::Retry, MessageAnswer::Retry};
    ASSERT_TRUE(Extract(carrier, output)) << ui.Transcript();
    EXPECT_EQ(Slurp(output), Slurp(data));
    ASSERT_EQ(ui.messages.size(), 3u);
    const std::string retry = "48\t" + En(TextId::WrongPassphraseTitle) + "\t" + En(TextId::WrongPassphraseText) +
                              " | " + En(TextId::RetryPassphraseText) + "\n";
    EXPECT_EQ(ui.Transcript().rfind(retry + retry, 0), 0u) << ui.Transcript();

    Put(output, "keep me");
    ui.passphrases = {"a1", "b2", "c3", "right one"};  // may replace out.txt; the third wrong one ends it
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Retry, MessageAnswer::Retry};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text, EnLines({TextId::WrongPassphraseText, TextId::TerminatedText}));
    EXPECT_EQ(Slurp(output), "keep me");
    EXPECT_EQ(ui.passphrases.size(), 1u);  // the fourth was never asked
    fs::remove(output);
    ui.passphrases = {"a1", "b2", "c3"};  // a free name gets nothing from a failed extraction
    ui.answers = {MessageAnswer::Retry, MessageAnswer::Retry};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"c.bmp", "notes.txt"}));

    EXPECT_FALSE(Hide(carrier,
                      "\xC5\x82\xC3\xB3"
                      "d"
                      "\xC5\xBA"));  // Polish letters outside the code page
    EXPECT_EQ(ui.LastMessage().text, EnLines({TextId::PassphraseCharsText, TextId::PassphraseCharsHint}));
}

TEST_F(WorkflowTest, TheUsersOwnScratchNamedFileIsNeverOverwritten) {
    MakeBitmap(carrier, 100, 100, 24, false, 9);
    Put(data + ".tmp", "the user's own file");
    Configure(true, 1, 2);
    ASSERT_TRUE(Hide(carrier)) << ui.Transcript();
    EXPECT_EQ(Slurp(data + ".tmp"), "the user's own file");
    EXPECT_TRUE(Leftovers("notes.txt.tmp").empty());
}

// A stage that fails or is cancelled never touches an existing output; a free name gets the
// data as far as it was processed, and the message says which.
TEST_F(WorkflowTest, UnpackingThatStopsKeepsAnExistingOutputAndFillsAFreeName) {
    MakeBitmap(carrier, 150, 100, 24, false, 1);
    const auto plant = [&](const std::string& bytes, bool compressed, bool encrypted, const std::string& check) {
        ASSERT_TRUE(commands.LoadCarrier(carrier));
        Put(dir.File("planted.bin"), bytes);
        const PayloadSource source{
            dir.File("planted.bin"), static_cast<int64_t>(bytes.size()), compressed, encrypted, 0, check, "txt"};
        ASSERT_TRUE(HidePayload(session.carrier, 2, source));
        fs::remove(dir.File("planted.bin"));
    };
    plant("not a zlib stream", true, false, {});  // the compressed flag lies
    EXPECT_FALSE(Extract(carrier, output));
    // The cause is named in the user's language.
    EXPECT_EQ(ui.LastMessage().text, EnLines({TextId::DecompressionFailedText, TextId::OutputKeepsDataText}) + "\r\n(" +
                                         En(TextId::CorruptDataCause) + ")");
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Critical);
    EXPECT_EQ(Slurp(output), "not a zlib stream");
    Put(output, "keep me");
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text, EnLines({TextId::DecompressionFailedText, TextId::ExistingUnchangedText}) +
                                         "\r\n(" + En(TextId::CorruptDataCause) + ")");
    EXPECT_EQ(Slurp(output), "keep me");

    // The digest matches, but the data is no whole Blowfish envelope.
    plant("abc", false, true, PassphraseDigest("right one"));
    ui.messages.clear();
    ui.passphrases = {"right one"};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text.rfind(EnLines({TextId::DecryptionFailedText, TextId::ExistingUnchangedText}), 0),
              0u)
        << ui.Transcript();
    EXPECT_EQ(Slurp(output), "keep me");
    ui.passphrases = {std::nullopt};  // cancelled: nothing changes and nothing needs saying
    ui.messages.clear();
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.Transcript(), "32\t" + En(TextId::OverwriteTitle) + "\t" + En(TextId::FileExistsText) + " | " +
                                   En(TextId::OverwriteQuestion) + "\n");
    EXPECT_EQ(Slurp(output), "keep me");
    fs::remove(output);
    ui.passphrases = {"right one"};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text.rfind(EnLines({TextId::DecryptionFailedText, TextId::OutputKeepsDataText}), 0), 0u)
        << ui.Transcript();
    EXPECT_EQ(Slurp(output), "abc");
    fs::remove(output);
    ui.passphrases = {std::nullopt};
    EXPECT_FALSE(Extract(carrier, output));
    EXPECT_EQ(ui.LastMessage().text, En(TextId::StillEncryptedText));
    EXPECT_EQ(Slurp(output), "abc");
    for (const Message& m : ui.messages) EXPECT_NE(m.text, En(TextId::ExtractedText));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"c.bmp", "notes.txt", "out.txt"}));
}

// Blanks at either end belong to a file name, wherever the name comes from.
TEST_F(WorkflowTest, NamesWithOuterBlanksAreUsedAsGiven) {
    const Bytes original = MakeBitmap(carrier, 120, 90, 24, false, 4);
    MakeBitmap(dir.File(" c.bmp"), 120, 90, 24, false, 5);
    Configure(false, -1, 2);
    const fs::path started = fs::current_path();
    fs::current_path(dir.path());  // a relative name, as typed in a shell
    commands.DropCarrier({" c.bmp"});
    EXPECT_EQ(session.fields.origFile, " c.bmp");
    commands.SetDataFile(data);
    EXPECT_TRUE(commands.Hide()) << ui.Transcript();
    fs::current_path(started);
    EXPECT_EQ(ReadFile(carrier), original);

    Put(output, "keep me");
    ui.dataChoices = {output + " "};  // the dialog's answer, blank included
    ASSERT_TRUE(commands.LoadCarrier(dir.File(" c.bmp")));
    commands.SetDataFile("");
    ASSERT_TRUE(commands.Extract()) << ui.Transcript();
    EXPECT_EQ(Slurp(output + " "), Slurp(data));
    EXPECT_EQ(Slurp(output), "keep me");
    EXPECT_FALSE(commands.LoadCarrier(" " + carrier));  // no such file
}

// The output may not be the carrier, by any spelling or link, nor a node that is no file.
TEST_F(WorkflowTest, OutputsThatAreTheCarrierOrNoFileAreRefused) {
    const Bytes original = MakeBitmap(carrier, 120, 90, 24, false, 4);
    Configure(false, -1, 2);
    ASSERT_TRUE(Hide(carrier));
    const Bytes hidden = ReadFile(carrier);
    ASSERT_EQ(::link(carrier.c_str(), dir.File("link.bmp").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const std::string carrierNames[] = {carrier, dir.path() + "/./c.bmp", dir.File("link.bmp")};
    for (const bool exporting : {false, true}) {
        for (const std::string& name : carrierNames) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(commands.LoadCarrier(carrier));
            EXPECT_FALSE(ExtractNamed(name, exporting));
            EXPECT_EQ(ui.LastMessage().text, EnLines({TextId::OutputIsCarrierText, TextId::OtherOutputNameHint}));
            EXPECT_EQ(ReadFile(carrier), hidden);
        }
        EXPECT_FALSE(ExtractNamed(dir.File("fifo"), exporting));
        EXPECT_EQ(ui.LastMessage().text, EnLines({TextId::OutputNotRegularText, TextId::OtherOutputNameHint}));
        struct stat info {};
        ASSERT_EQ(::stat(dir.File("fifo").c_str(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode));
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"c.bmp", "fifo", "link.bmp", "notes.txt"}));
}

TEST_F(WorkflowTest, DeviceAsDataFileIsRefusedBeforeItIsCopied) {
    const Bytes before = MakeBitmap(carrier, 20, 20, 24, false, 1);
    Configure(false, -1, 1);
    data = "/dev/zero";
    EXPECT_FALSE(Hide(carrier));
    EXPECT_EQ(ui.LastMessage().text,
              En(TextId::HideErrorText) + "\r\n(" + En(TextId::NotRegularFileCause) + ": /dev/zero)");
    EXPECT_FALSE(fs::exists("/dev/zero.tmp"));
    EXPECT_EQ(ReadFile(carrier), before);
    EXPECT_TRUE(Leftovers().empty());
}

// The size shown is the smallest carrier the hide takes; it asks for no passphrase, and counts
// XChaCha's nonce and tag without deriving a key.
TEST_F(WorkflowTest, NeededSizeIsTheSmallestCarrierTheHideTakes) {
    Configure(true, 5, 2);
    commands.SetDataFile(data);
    ASSERT_TRUE(commands.CalculateSize());
    const int64_t withTag = session.payloadSize;
    Configure(true, 1, 2);  // RC4 keeps the length
    ui.newPassphrases = {"unused"};
    ASSERT_TRUE(commands.CalculateSize());
    EXPECT_EQ(withTag, session.payloadSize + 40);
    EXPECT_EQ(ui.newPassphrases.size(), 1u);
    ui.newPassphrases.clear();
    const std::string& text = ui.LastMessage().text;  // "<418> 12.345 <419>..."
    std::string digits;
    for (char c : text.substr(En(TextId::NeededSizeText).size(),
                              text.find(En(TextId::NeededSizeUnitText)) - En(TextId::NeededSizeText).size()))
        if (c >= '0' && c <= '9') digits += c;
    const int64_t needed = std::stoll(digits);
    MakeRaw(dir.File("fits.raw"), static_cast<size_t>(needed), 5);
    EXPECT_TRUE(Hide(dir.File("fits.raw"))) << ui.Transcript();
    MakeRaw(dir.File("small.raw"), static_cast<size_t>(needed - 1), 5);
    EXPECT_FALSE(Hide(dir.File("small.raw")));
    EXPECT_EQ(ui.LastMessage().text, EnLines({TextId::TooLargeText, TextId::LargerCarrierHint}));
}

}  // namespace
}  // namespace tarnwerk::test
