// The window's commands through their public members, with a scripted user and desktop.

#include "app/AppFakes.h"
#include "app/PassphraseRules.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

using CommandsTest = AppTest;

std::string Shown(const FakeUi& ui) { return ui.LastMessage().text + "|" + ui.LastMessage().title; }

TEST(PassphraseRules, RatingAndRefusals) {
    // Length times the present classes; sharp s is in no class, blank and backslash are special.
    const std::pair<const char*, int> ratings[] = {{"abc", 6}, {"Abc1", 96}, {"Abc1!", 600}, {"a b", 30}, {"\\", 5},
                                                   {"", 0},    {"\xC3\x9F\xC3\x9F\xC3\x9F", 3},
                                                   {"\xC3\xBC\xC3\x84\xC2\xB5", 3 * 2 * 3 * 5}};
    for (const auto& [text, rating] : ratings) EXPECT_EQ(PassphraseQuality(text), rating) << text;

    const auto tooShort = CheckPassphrase(kLanguageBaseEnglish, "  ab  ");
    ASSERT_TRUE(tooShort);
    EXPECT_EQ(tooShort->text + "|" + tooShort->title, EnLines({445, 446}) + "|" + En(447));
    EXPECT_EQ(tooShort->icon, MessageIcon::Exclamation);
    EXPECT_FALSE(CheckPassphrase(kLanguageBaseEnglish, "a b"));
    const auto different = CheckNewPassphrase(kLanguageBaseEnglish, "secret ", "secret");
    ASSERT_TRUE(different);
    EXPECT_EQ(different->text + "|" + different->title, EnLines({450, 451}) + "|" + En(447));
    EXPECT_EQ(CheckNewPassphrase(kLanguageBaseEnglish, " x ", " x ")->text, EnLines({445, 446}));
    EXPECT_FALSE(CheckNewPassphrase(kLanguageBaseEnglish, " secret ", " secret "));
}

TEST_F(CommandsTest, CarrierChoiceFillsTheFieldsAndResetEmptiesThem) {
    MakeBitmap(dir.File("pic.bmp"), 40, 30, 24, false, 1);
    commands.SelectCarrier();  // cancelled
    commands.DropCarrier({dir.File("pic.bmp"), dir.File("pic.bmp")});  // several files load nothing
    commands.DropDataFile({dir.File("pic.bmp"), dir.File("pic.bmp")});
    EXPECT_EQ(session.fields.origFile + session.fields.dataFile, "");
    commands.DropCarrier({dir.File("pic.bmp")});
    EXPECT_EQ(session.fields.origFile, dir.File("pic.bmp"));
    ui.carrierChoices = {dir.File("pic.bmp")};
    commands.SelectCarrier();
    EXPECT_TRUE(ui.messages.empty()) << ui.Transcript();
    EXPECT_EQ(session.fields.oTyp, En(308) + ", 40x30 " + En(309) + ", 24 " + En(315));
    EXPECT_GT(ui.fieldsChanged, 0);

    commands.SetDataFile(dir.File("pic.bmp"));
    session.headerExtension = "doc";
    session.payloadSize = 99;
    commands.Reset();
    const WindowFields& f = session.fields;
    EXPECT_EQ(f.origFile + f.oTyp + f.oSize + f.oFree + f.dataFile + f.dOrigSize + f.dSize, "");
    EXPECT_EQ(session.dataExtension + session.headerExtension + std::to_string(session.payloadSize), "0");
    EXPECT_FALSE(session.carrier.IsLoaded());
}

// A rejected file unloads the previous carrier, whose fields are emptied too.
TEST_F(CommandsTest, RejectedOrMissingCarrierShowsItsReasonAndUnloadsThePreviousOne) {
    MakeBitmap(dir.File("good.bmp"), 16, 16, 24, false, 1);
    MakeBitmap(dir.File("deep.bmp"), 16, 16, 32, false, 1);
    Bytes rle = BitmapBytes(16, 16, 8, false, 1);
    PutLe32(rle, bmp::kCompression, 1);
    WriteFile(dir.File("rle.bmp"), rle);
    Put(dir.File("pic.png"), "png");
    ASSERT_TRUE(commands.LoadCarrier(dir.File("good.bmp")));

    EXPECT_FALSE(commands.LoadCarrier(dir.File("deep.bmp")));
    EXPECT_EQ(Shown(ui), En(413) + " 32 " + En(307) + ".\r\n\r\n" + En(414) + "|" + En(407));
    EXPECT_FALSE(session.carrier.IsLoaded());
    EXPECT_EQ(session.fields.origFile + session.fields.oTyp + session.fields.oSize + session.fields.oFree, "");
    EXPECT_FALSE(commands.LoadCarrier(dir.File("rle.bmp")));
    EXPECT_EQ(ui.LastMessage().text, En(410) + "\r\n\r\n" + En(411) + "\r\n" + En(412));
    EXPECT_FALSE(commands.LoadCarrier(dir.File("pic.png")));
    EXPECT_EQ(ui.LastMessage().text, EnLines({408, 409}));
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Exclamation);
    ui.carrierChoices = {dir.File("gone.bmp")};
    commands.SelectCarrier();
    EXPECT_EQ(Shown(ui), EnLines({401, 402}) + "|" + En(403));
    commands.DropCarrier({dir.File("missing.bmp")});
    EXPECT_EQ(Shown(ui), dir.File("missing.bmp") + "\r\n" + EnLines({437, 438}) + "|" + En(407));
    EXPECT_EQ(ui.messages.size(), 5u);
}

TEST_F(CommandsTest, DataFileTakesItsOwnOrThePendingExtension) {
    Put(dir.File("first.txt"), "12345");
    Put(dir.File("second.pdf"), "1");
    ui.dataChoices = {dir.File("first.txt")};
    commands.SelectDataFile();
    EXPECT_EQ(session.fields.dOrigSize, "5 " + En(305));
    session.fields.dSize = "old";
    commands.DropDataFile({dir.File("second.pdf")});
    EXPECT_EQ(session.fields.dataFile, dir.File("second.pdf"));
    EXPECT_EQ(session.dataExtension, "pdf");  // not the earlier file's "txt"
    EXPECT_EQ(session.fields.dSize, "");

    session.headerExtension = "doc";  // found in a carrier: the dialog appends it
    ui.dataChoices = {dir.File("report"), dir.File("report.doc"), dir.File("report.txt")};
    for (const char* expected : {"report.doc", "report.doc", "report.txt.doc"}) {
        commands.SelectDataFile();
        EXPECT_EQ(session.fields.dataFile, dir.File(expected));
    }
    EXPECT_EQ(session.fields.dOrigSize, "0 " + En(305));  // a name that does not exist yet
}

TEST_F(CommandsTest, OptionsAndWindowPositionAreStored) {
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

    commands.SaveWindowPosition(1234.5, 3000.0);  // shortest decimal, Top before Left
    EXPECT_EQ(ReadIniValue(session.iniPath, "Global", "Top", ""), "1234.5");
    EXPECT_EQ(ReadIniValue(session.iniPath, "Global", "Left", ""), "3000");
    EXPECT_LT(Slurp(session.iniPath).find("Top"), Slurp(session.iniPath).find("Left"));

    Put(dir.File("blocker"), "");  // a file where the folder should be: fails even for root
    session.iniPath = dir.File("blocker/tarnwerk.ini");
    record.BitPerByte = 0;
    commands.SaveOptions(record);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Critical);
    EXPECT_EQ(ui.LastMessage().title, "Tarnwerk");
    EXPECT_EQ(session.bitsPerByte, 1);  // taken although it could not be written
}

TEST_F(CommandsTest, ViewerAndHelpFailuresAreNamed) {
    MakeRaw(dir.File("pic.raw"), 500, 1);
    commands.LoadCarrier(dir.File("pic.raw"));
    desktop.openResult = false;
    commands.ShowCarrier();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(Shown(ui), "Your standard viewer for raw-files can not opened!|" + En(424));
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Critical);

    desktop.openResult = true;
    session.appPath = dir.path() + "/";
    commands.ShowHelp();
    EXPECT_EQ(Shown(ui), En(457) + "\r\n\r\n" + En(458) + "\r\n" + En(459) + "\r\n|" + En(460));
    std::filesystem::create_directory(dir.File("help"));
    Put(dir.File("help/index.html"), "<html/>");
    commands.ShowHelp();
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{dir.File("pic.raw"), dir.File("help/index.html")}));
    EXPECT_EQ(ui.messages.size(), 2u);
}

// While a hide runs no other long command starts, and options saved meanwhile wait for its end.
TEST_F(CommandsTest, MidHideCommandsNeitherStartNorChangeTheHide) {
    const Bytes carrier = MakeRaw(dir.File("pic.raw"), 200000, 1);
    WriteFile(dir.File("d.bin"), RandomBytes(8000, 3));
    session.settings.Encryption = session.settings.Compression = 0;
    session.settings.ResetOnEnd = 0;
    commands.LoadCarrier(dir.File("pic.raw"));
    commands.SetDataFile(dir.File("d.bin"));
    SettingsRecord changed = session.settings;
    changed.BitPerByte = 2;
    changed.Compression = 1;
    int nested = 0;
    ui.onProgress = [&](int) {
        if (nested++ == 0) {
            const int fieldChanges = ui.fieldsChanged;
            EXPECT_FALSE(commands.Hide() || commands.Extract() || commands.Export() || commands.CalculateSize() ||
                         commands.SendCarrier() || commands.HideAndSend());
            EXPECT_TRUE(ui.messages.empty()) << ui.Transcript();
            EXPECT_EQ(ui.busy, std::vector<bool>{true});
            EXPECT_EQ(ui.fieldsChanged, fieldChanges);
            EXPECT_EQ(ReadFile(dir.File("pic.raw")), carrier);
            commands.SaveOptions(changed);  // the options menu stays reachable
        }
        EXPECT_EQ(session.bitsPerByte, 2);
        EXPECT_EQ(session.settings.Compression, 0);
    };
    EXPECT_TRUE(commands.Hide()) << ui.Transcript();
    EXPECT_GT(nested, 0);
    EXPECT_TRUE(desktop.mailed.empty());
    EXPECT_FALSE(session.commandRunning);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(session.bitsPerByte, 4);  // applied once the hide has ended
    EXPECT_EQ(session.settings.Compression, 1);
}

}  // namespace
}  // namespace tarnwerk::test
