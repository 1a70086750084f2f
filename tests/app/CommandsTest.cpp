// The window's commands through their public members, with a scripted user and desktop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/AppFakes.h"
#include "app/Commands.h"
#include "app/PassphraseRules.h"
#include "app/StatusPanels.h"
#include "config/Settings.h"
#include "config/Strings.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

constexpr MessageIcon kExclamation = MessageIcon::Exclamation;
constexpr MessageIcon kCritical = MessageIcon::Critical;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() : session(EnglishSession(dir.File("tarnwerk.ini"))), commands(session, ui, desktop) {}

    TempDir dir;
    Session session;
    FakeUi ui;
    FakeDesktop desktop;
    Commands commands;
};

// ---- passphrase dialog rules ----

TEST(PassphraseRules, RatingMultipliesTheLengthByThePresentClasses) {
    EXPECT_EQ(PassphraseQuality("abc"), 6);
    EXPECT_EQ(PassphraseQuality("Abc1"), 96);
    EXPECT_EQ(PassphraseQuality("Abc1!"), 600);
    EXPECT_EQ(PassphraseQuality("a b"), 30);                                  // the blank is special
    EXPECT_EQ(PassphraseQuality("\xC3\x9F\xC3\x9F\xC3\x9F"), 3);              // sharp s: in no class
    EXPECT_EQ(PassphraseQuality("\xC3\xBC\xC3\x84\xC2\xB5"), 3 * 2 * 3 * 5);  // u-umlaut, A-umlaut, micro
    EXPECT_EQ(PassphraseQuality("\\"), 5);
    EXPECT_EQ(PassphraseQuality(""), 0);
}

TEST(PassphraseRules, TooShortAndDifferentEntriesAreRefused) {
    const auto tooShort = CheckPassphrase(kLanguageBaseEnglish, "  ab  ");
    ASSERT_TRUE(tooShort);
    EXPECT_EQ(tooShort->text, EnLines({445, 446}));
    EXPECT_EQ(tooShort->title, En(447));
    EXPECT_EQ(tooShort->icon, kExclamation);
    EXPECT_FALSE(CheckPassphrase(kLanguageBaseEnglish, "a b"));

    const auto different = CheckNewPassphrase(kLanguageBaseEnglish, "secret ", "secret");
    ASSERT_TRUE(different);
    EXPECT_EQ(different->text, EnLines({450, 451}));
    EXPECT_EQ(different->title, En(447));
    EXPECT_EQ(CheckNewPassphrase(kLanguageBaseEnglish, " x ", " x ")->text, EnLines({445, 446}));
    EXPECT_FALSE(CheckNewPassphrase(kLanguageBaseEnglish, " secret ", " secret "));
}

// ---- status bar ----

TEST_F(CommandsTest, StatusPanelsNameCompressionCipherAndBits) {
    commands.Activate();
    ASSERT_EQ(ui.statuses.size(), 4u);
    EXPECT_EQ(ui.statuses[0].second, " Ready");
    EXPECT_EQ(ui.statuses[1].second, " " + En(302) + " ");
    EXPECT_EQ(ui.statuses[2].second, " " + En(303) + " RC4 ");
    EXPECT_EQ(ui.statuses[3].second, " 2 " + En(304) + " ");

    session.settings.Compression = 0;
    session.settings.Algorithmus = 5;
    EXPECT_EQ(StatusPanelTexts(session)[1], " ");
    EXPECT_EQ(StatusPanelTexts(session)[2], " " + En(303) + " XChaCha20-Poly1305 ");
    session.settings.Algorithmus = 9;
    EXPECT_EQ(StatusPanelTexts(session)[2], " " + En(303) + " Blowfish ");
    session.settings.Encryption = 0;
    EXPECT_EQ(StatusPanelTexts(session)[2], " ");
}

// ---- carrier selection, drops, activation, reset ----

TEST_F(CommandsTest, ChosenCarrierFillsTheFourFields) {
    MakeBitmap(dir.File("pic.bmp"), 40, 30, 24, false, 1);
    ui.carrierChoices = {dir.File("pic.bmp")};
    commands.SelectCarrier();
    EXPECT_TRUE(ui.messages.empty()) << ui.Transcript();
    EXPECT_EQ(session.fields.origFile, dir.File("pic.bmp"));
    EXPECT_EQ(session.fields.oTyp, En(308) + ", 40x30 " + En(309) + ", 24 " + En(315));
    EXPECT_TRUE(session.carrier.IsLoaded());
    EXPECT_GT(ui.fieldsChanged, 0);
}

TEST_F(CommandsTest, RejectedCarrierShowsItsReasonAndUnloadsThePreviousOne) {
    MakeBitmap(dir.File("good.bmp"), 16, 16, 24, false, 1);
    MakeBitmap(dir.File("deep.bmp"), 16, 16, 32, false, 1);
    Bytes rle = BitmapBytes(16, 16, 8, false, 1);
    PutLe32(rle, bmp::kCompression, 1);
    WriteFile(dir.File("rle.bmp"), rle);
    Put(dir.File("pic.png"), "png");
    ASSERT_TRUE(commands.LoadCarrier(dir.File("good.bmp")));

    EXPECT_FALSE(commands.LoadCarrier(dir.File("deep.bmp")));
    EXPECT_EQ(ui.LastMessage().text, En(413) + " 32 " + En(307) + ".\r\n\r\n" + En(414));
    EXPECT_EQ(ui.LastMessage().title, En(407));
    EXPECT_FALSE(session.carrier.IsLoaded());
    EXPECT_EQ(session.fields.origFile + session.fields.oTyp + session.fields.oSize + session.fields.oFree, "");

    EXPECT_FALSE(commands.LoadCarrier(dir.File("rle.bmp")));
    EXPECT_EQ(ui.LastMessage().text, En(410) + "\r\n\r\n" + En(411) + "\r\n" + En(412));
    EXPECT_FALSE(commands.LoadCarrier(dir.File("pic.png")));
    EXPECT_EQ(ui.LastMessage().text, EnLines({408, 409}));
    EXPECT_EQ(ui.LastMessage().icon, kExclamation);
    EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(CommandsTest, CancelledOrMissingCarrierChangesNothing) {
    commands.SelectCarrier();  // cancelled
    EXPECT_TRUE(ui.messages.empty());
    ui.carrierChoices = {dir.File("gone.bmp")};
    commands.SelectCarrier();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().text, EnLines({401, 402}));
    EXPECT_EQ(ui.LastMessage().title, En(403));
    EXPECT_EQ(ui.LastMessage().icon, kExclamation);
    EXPECT_FALSE(session.carrier.IsLoaded());
    EXPECT_TRUE(session.fields.origFile.empty());
}

TEST_F(CommandsTest, DropsCountOnlyASingleExistingFile) {
    MakeBitmap(dir.File("a.bmp"), 8, 8, 24, false, 1);
    MakeBitmap(dir.File("b.bmp"), 8, 8, 24, false, 2);
    commands.DropCarrier({dir.File("a.bmp"), dir.File("b.bmp")});
    commands.DropDataFile({dir.File("a.bmp"), dir.File("b.bmp")});
    EXPECT_TRUE(session.fields.origFile.empty());
    EXPECT_TRUE(session.fields.dataFile.empty());

    commands.DropCarrier({dir.File("missing.bmp")});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().text, dir.File("missing.bmp") + "\r\n" + EnLines({437, 438}));
    EXPECT_EQ(ui.LastMessage().title, En(407));

    commands.DropCarrier({dir.File("a.bmp")});
    EXPECT_EQ(session.fields.origFile, dir.File("a.bmp"));
}

TEST_F(CommandsTest, DroppedDataFileRecordsItsOwnExtension) {
    Put(dir.File("first.txt"), "12345");
    Put(dir.File("second.pdf"), "1");
    ui.dataChoices = {dir.File("first.txt")};
    commands.SelectDataFile();
    EXPECT_EQ(session.dataExtension, "txt");
    EXPECT_EQ(session.fields.dOrigSize, "5 " + En(305));
    session.fields.dSize = "old";
    commands.DropDataFile({dir.File("second.pdf")});
    EXPECT_EQ(session.fields.dataFile, dir.File("second.pdf"));
    EXPECT_EQ(session.dataExtension, "pdf");  // not the earlier file's "txt"
    EXPECT_EQ(session.fields.dSize, "");
}

TEST_F(CommandsTest, DataDialogAppendsThePendingOriginalExtension) {
    session.headerExtension = "doc";
    ui.dataChoices = {dir.File("report"), dir.File("report.doc"), dir.File("report.txt")};
    commands.SelectDataFile();
    EXPECT_EQ(session.fields.dataFile, dir.File("report.doc"));
    commands.SelectDataFile();
    EXPECT_EQ(session.fields.dataFile, dir.File("report.doc"));
    commands.SelectDataFile();
    EXPECT_EQ(session.fields.dataFile, dir.File("report.txt.doc"));
    EXPECT_EQ(session.dataExtension, "doc");
    EXPECT_EQ(session.fields.dOrigSize, "0 " + En(305));  // a name that does not exist yet

    ASSERT_EQ(ui.dataFilters.back().size(), 2u);
    EXPECT_EQ(ui.dataFilters.back()[0].description, En(405) + " (*.doc)");
    EXPECT_EQ(ui.dataFilters.back()[0].patterns, "*.doc");
    EXPECT_EQ(ui.dataFilters.back()[1].description, En(406) + " (*.*)");
    EXPECT_EQ(ui.dataFilters.back()[1].patterns, "*.*");
}

TEST_F(CommandsTest, ResetEmptiesAllFieldsAndUnloadsTheCarrier) {
    MakeBitmap(dir.File("pic.bmp"), 8, 8, 24, false, 1);
    Put(dir.File("d.txt"), "x");
    commands.LoadCarrier(dir.File("pic.bmp"));
    commands.SetDataFile(dir.File("d.txt"));
    session.headerExtension = "doc";
    session.payloadSize = 99;
    commands.Reset();
    EXPECT_EQ(session.fields.origFile + session.fields.oTyp + session.fields.oSize + session.fields.oFree +
                  session.fields.dataFile + session.fields.dOrigSize + session.fields.dSize,
              "");
    EXPECT_FALSE(session.carrier.IsLoaded());
    EXPECT_EQ(session.payloadSize, 0);
    EXPECT_EQ(session.dataExtension + session.headerExtension, "");
}

TEST_F(CommandsTest, ActivationShowsANewBitDepthAtOnce) {
    MakeRaw(dir.File("pic.raw"), 1000, 1);
    commands.LoadCarrier(dir.File("pic.raw"));
    const std::string twoBits = session.fields.oFree;
    session.settings.BitPerByte = 2;
    session.bitsPerByte = 4;
    commands.Activate();
    EXPECT_NE(session.fields.oFree, twoBits);
    EXPECT_EQ(ui.statuses.back().second, " 4 " + En(304) + " ");
}

// ---- options and window position ----

TEST_F(CommandsTest, SavedOptionsTakeEffectAndFailuresAreReportedOnce) {
    SettingsRecord record;
    record.BitPerByte = 2;
    record.Language = 3;
    commands.SaveOptions(record);
    EXPECT_TRUE(ui.messages.empty()) << ui.Transcript();
    EXPECT_EQ(ReadIniValue(session.iniPath, "Settings", "BitPerByte", ""), "2");
    EXPECT_EQ(session.bitsPerByte, 4);
    EXPECT_EQ(session.languageBase, kLanguageBaseEnglish);  // until the dialog closes
    commands.OptionsClosed();
    EXPECT_EQ(session.languageBase, 4000);

    // A folder that cannot exist, because a file has its name: fails even for root.
    Put(dir.File("blocker"), "");
    session.iniPath = dir.File("blocker/tarnwerk.ini");
    record.BitPerByte = 0;
    commands.SaveOptions(record);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().icon, kCritical);
    EXPECT_EQ(ui.LastMessage().title, "Tarnwerk");
    EXPECT_EQ(session.bitsPerByte, 1);  // taken although it could not be written
}

TEST_F(CommandsTest, WindowPositionIsWrittenAsShortestDecimal) {
    commands.SaveWindowPosition(1234.5, 3000.0);
    EXPECT_EQ(ReadIniValue(session.iniPath, "Global", "Top", ""), "1234.5");
    EXPECT_EQ(ReadIniValue(session.iniPath, "Global", "Left", ""), "3000");
    const std::string file = Slurp(session.iniPath);
    EXPECT_LT(file.find("Top"), file.find("Left"));
}

// ---- viewer and help ----

TEST_F(CommandsTest, ViewerFailureNamesTheExtension) {
    commands.ShowCarrier();  // no carrier: the dialog opens, cancelled: nothing else
    EXPECT_EQ(ui.carrierDialogs, 1);
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_TRUE(ui.messages.empty());

    MakeRaw(dir.File("pic.raw"), 500, 1);
    commands.LoadCarrier(dir.File("pic.raw"));
    desktop.openResult = false;
    commands.ShowCarrier();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().text, "Your standard viewer for raw-files can not opened!");
    EXPECT_EQ(ui.LastMessage().title, En(424));
    EXPECT_EQ(ui.LastMessage().icon, kCritical);
}

TEST_F(CommandsTest, HelpFallsBackToTheHtmlPages) {
    session.appPath = dir.path() + "/";
    commands.ShowHelp();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().text, En(457) + "\r\n\r\n" + En(458) + "\r\n" + En(459) + "\r\n");
    EXPECT_EQ(ui.LastMessage().title, En(460));

    std::filesystem::create_directory(dir.File("help"));
    Put(dir.File("help/index.html"), "<html/>");
    commands.ShowHelp();
    EXPECT_EQ(desktop.opened.back(), dir.File("help/index.html"));
    Put(dir.File("Tarnwerk.chm"), "chm");
    commands.ShowHelp();
    EXPECT_EQ(desktop.opened.back(), dir.File("Tarnwerk.chm"));
    EXPECT_EQ(ui.messages.size(), 1u);
}

// ---- the long commands ----

TEST_F(CommandsTest, NoLongCommandStartsWhileAnotherRuns) {
    MakeRaw(dir.File("pic.raw"), 20000, 1);
    Put(dir.File("d.txt"), "data");
    commands.LoadCarrier(dir.File("pic.raw"));
    commands.SetDataFile(dir.File("d.txt"));
    const std::string before = Slurp(dir.File("pic.raw"));
    const size_t fieldChanges = static_cast<size_t>(ui.fieldsChanged);
    session.commandRunning = true;
    EXPECT_FALSE(commands.Hide());
    EXPECT_FALSE(commands.Extract());
    EXPECT_FALSE(commands.Export());
    EXPECT_FALSE(commands.CalculateSize());
    EXPECT_FALSE(commands.SendCarrier());
    EXPECT_FALSE(commands.HideAndSend());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.busy.empty());
    EXPECT_TRUE(desktop.mailed.empty());
    EXPECT_EQ(static_cast<size_t>(ui.fieldsChanged), fieldChanges);
    EXPECT_EQ(Slurp(dir.File("pic.raw")), before);
    EXPECT_TRUE(session.commandRunning);
}

TEST_F(CommandsTest, MidHideMenuCommandsNeitherStartNorChangeTheHide) {
    MakeRaw(dir.File("pic.raw"), 200000, 1);
    WriteFile(dir.File("d.bin"), RandomBytes(8000, 3));
    session.settings.Encryption = 0;
    session.settings.Compression = 0;
    commands.LoadCarrier(dir.File("pic.raw"));
    commands.SetDataFile(dir.File("d.bin"));
    session.settings.ResetOnEnd = 0;
    SettingsRecord changed = session.settings;
    changed.BitPerByte = 2;
    changed.Compression = 1;
    int nested = 0;
    ui.onProgress = [&](int) {
        if (nested++ == 0) {
            EXPECT_FALSE(commands.Hide());
            EXPECT_FALSE(commands.Extract());
            commands.SaveOptions(changed);  // the options menu stays reachable
        }
        EXPECT_EQ(session.bitsPerByte, 2);
        EXPECT_EQ(session.settings.Compression, 0);
    };
    EXPECT_TRUE(commands.Hide()) << ui.Transcript();
    EXPECT_GT(nested, 0);
    EXPECT_FALSE(session.commandRunning);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(session.bitsPerByte, 4);  // applied once the hide has ended
    EXPECT_EQ(session.settings.Compression, 1);
}

class RoundTrip : public CommandsTest, public ::testing::WithParamInterface<std::tuple<int, bool, bool>> {};

TEST_P(RoundTrip, HiddenDataComesBackThroughTheCommands) {
    const auto [bitIndex, raw, compress] = GetParam();
    const std::string carrier = dir.File(raw ? "pic.raw" : "pic.bmp");
    if (raw) {
        MakeRaw(carrier, 60000, 5);
    } else {
        MakeBitmap(carrier, 150, 100, 24, false, 5);
    }
    const Bytes data = RandomBytes(3000, 11);
    WriteFile(dir.File("secret.dat"), data);
    session.settings.BitPerByte = static_cast<uint8_t>(bitIndex);
    session.bitsPerByte = BitsPerByteFromIndex(bitIndex);
    session.settings.Compression = compress ? 1 : 0;
    session.settings.Encryption = 0;

    ui.carrierChoices = {carrier, carrier};
    ui.dataChoices = {dir.File("secret.dat"), dir.File("back")};
    ASSERT_TRUE(commands.Hide()) << ui.Transcript();
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Information);
    EXPECT_FALSE(session.carrier.IsLoaded());  // reset on end

    ASSERT_TRUE(commands.Extract()) << ui.Transcript();
    EXPECT_EQ(ReadFile(dir.File("back.dat")), data);
    EXPECT_EQ(ui.carrierDialogs, 2);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"back.dat", raw ? "pic.raw" : "pic.bmp", "secret.dat"}));
}

INSTANTIATE_TEST_SUITE_P(BitsCarriersCompression, RoundTrip,
                         ::testing::Combine(::testing::Values(0, 1, 2), ::testing::Bool(), ::testing::Bool()));

TEST_F(CommandsTest, EncryptedHideExtractsWithTheHeadersCipher) {
    MakeBitmap(dir.File("pic.bmp"), 120, 80, 24, false, 7);
    Put(dir.File("note.txt"), "meet at noon");
    session.settings.Algorithmus = 3;  // TEA
    session.settings.ResetOnEnd = 0;
    commands.LoadCarrier(dir.File("pic.bmp"));
    commands.SetDataFile(dir.File("note.txt"));
    ui.newPassphrases = {std::string("tea for two")};
    ASSERT_TRUE(commands.Hide()) << ui.Transcript();

    session.settings.Algorithmus = 0;  // the header, not the setting, names the cipher
    commands.SetDataFile(dir.File("out.txt"));
    ui.passphrases = {std::string("wrong one"), std::string("tea for two")};
    ui.answers = {MessageAnswer::Retry};
    ASSERT_TRUE(commands.Extract()) << ui.Transcript();
    EXPECT_EQ(Slurp(dir.File("out.txt")), "meet at noon");
}

}  // namespace
}  // namespace tarnwerk::test
