// The window's commands through their public members, with a scripted user and desktop.
#include <sys/stat.h>

#include "app/AppFakes.h"
#include "app/OutputTarget.h"
#include "app/PassphraseRules.h"
#include "config/TextId.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

using CommandsTest = AppTest;

TEST(PassphraseRules, RatingAndRefusals) {
    // Length times the present classes; sharp s is in no class, backslash is special.
    const std::pair<const char*, int> ratings[] = {
        {"abc", 6}, {"Abc1!", 600}, {"\\", 5}, {"\xC3\x9F\xC3\x9F\xC3\x9F", 3}, {"\xC3\xBC\xC3\x84\xC2\xB5", 90}};
    for (const auto& [text, rating] : ratings) EXPECT_EQ(PassphraseQuality(text), rating) << text;

    const auto tooShort = CheckPassphrase(kLanguageBaseEnglish, "  ab  ");
    ASSERT_TRUE(tooShort);
    EXPECT_EQ(tooShort->text + "|" + tooShort->title,
              EnLines({TextId::PassphraseTooShortText, TextId::PassphraseTooShortHint}) + "|" +
                  En(TextId::InvalidPassphraseTitle));
    EXPECT_EQ(tooShort->icon, MessageIcon::Exclamation);
    EXPECT_FALSE(CheckPassphrase(kLanguageBaseEnglish, "a b"));
    const auto different = CheckNewPassphrase(kLanguageBaseEnglish, "secret ", "secret");
    ASSERT_TRUE(different);
    EXPECT_EQ(different->text + "|" + different->title,
              EnLines({TextId::PassphrasesDifferText, TextId::PassphrasesDifferHint}) + "|" +
                  En(TextId::InvalidPassphraseTitle));
    EXPECT_FALSE(CheckNewPassphrase(kLanguageBaseEnglish, " secret ", " secret "));
}

TEST_F(CommandsTest, RejectedCarrierUnloadsThePreviousOne) {
    MakeBitmap(dir.File("good.bmp"), 16, 16, 24, false, 1);
    MakeBitmap(dir.File("deep.bmp"), 16, 16, 32, false, 1);
    ASSERT_TRUE(commands.LoadCarrier(dir.File("good.bmp")));
    EXPECT_FALSE(commands.LoadCarrier(dir.File("deep.bmp")));
    EXPECT_EQ(ui.LastMessage().text + "|" + ui.LastMessage().title,
              En(TextId::ColourDepthText) + " 32 " + En(TextId::BitUnit) + ".\r\n\r\n" +
                  En(TextId::SupportedDepthsText) + "|" + En(TextId::IncorrectFileTitle));
    EXPECT_FALSE(session.carrier.IsLoaded());
    EXPECT_EQ(session.fields.origFile + session.fields.oTyp + session.fields.oSize + session.fields.oFree, "");
}

TEST_F(CommandsTest, DataFileTakesItsOwnOrThePendingExtension) {
    Put(dir.File("first.txt"), "12345");
    Put(dir.File("second.pdf"), "1");
    ui.dataChoices = {dir.File("first.txt")};
    commands.SelectDataFile();
    session.fields.dSize = "old";
    commands.DropDataFile({dir.File("second.pdf")});
    EXPECT_EQ(session.dataExtension, "pdf");  // not the earlier file's "txt"
    EXPECT_EQ(session.fields.dSize, "");

    // An output chosen in the save dialog gets the extension found in the carrier.
    for (const auto& [chosen, expected] :
         {std::pair{"report", "report.doc"}, {"report.doc", "report.doc"}, {"report.txt", "report.txt.doc"}}) {
        EXPECT_EQ(WithStoredExtension(dir.File(chosen), "doc"), dir.File(expected));
    }
}

// Sizes are written the way the window's language writes numbers, whatever the desktop's
// locale, and a language switch rewrites the data file's size at once.
TEST_F(CommandsTest, SizesFollowTheProgramsLanguage) {
    MakeBitmap(dir.File("pic.bmp"), 64, 48, 24, false, 1);  // 54 + 64 * 48 * 3 = 9270 bytes
    Put(dir.File("notes.txt"), std::string(12345, 'n'));
    const struct {
        int base;
        const char *carrierSize, *dataSize;
    } rows[] = {
        {kLanguageBaseGerman, "9.270 Byte", "12.345 Byte"},
        {kLanguageBaseEnglish, "9,270 bytes", "12,345 bytes"},
        {kLanguageBaseDutch, "9.270 bytes", "12.345 bytes"},
        {kLanguageBaseFrench, "9\u202F270 octets", "12\u202F345 octets"},
    };
    for (const auto& row : rows) {
        session.languageBase = row.base;
        ASSERT_TRUE(commands.LoadCarrier(dir.File("pic.bmp")));
        commands.SetDataFile(dir.File("notes.txt"));
        EXPECT_EQ(session.fields.oSize, row.carrierSize) << row.base;
        EXPECT_EQ(session.fields.dOrigSize, row.dataSize) << row.base;
    }
    SettingsRecord german = session.settings;
    german.Language = 0;
    commands.SaveOptions(german);
    commands.OptionsClosed();
    EXPECT_EQ(session.fields.dOrigSize, "12.345 Byte");
    EXPECT_EQ(session.carrierFilter.front().description, "Bitmap-Bildformat (*.bmp;*.dib)");
}

// Help: a missing help file and a help file no program opens are told apart; the second
// file is tried when the first one finds no program.
TEST_F(CommandsTest, HelpTellsAMissingFileFromAMissingProgram) {
    session.appPath = dir.path() + "/";
    commands.ShowHelp();
    EXPECT_EQ(ui.LastMessage().title, En(TextId::HelpMissingTitle));
    EXPECT_TRUE(desktop.opened.empty());

    Put(dir.File("Tarnwerk.chm"), "chm");
    ::mkdir(dir.File("help").c_str(), 0700);
    Put(dir.File("help/index.html"), "<html></html>");
    desktop.openSucceeds = false;  // xdg-open starts but finds no program
    commands.ShowHelp();
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{dir.File("Tarnwerk.chm"), dir.File("help/index.html")}));
    EXPECT_EQ(ui.LastMessage().text, En(TextId::NoHelpProgramText) + "\r\n" + dir.File("help/index.html") + "\r\n\r\n" +
                                         En(TextId::NoHelpProgramHint));
    EXPECT_EQ(ui.LastMessage().title, En(TextId::NoHelpProgramTitle));

    desktop.openStarts = false;  // xdg-open itself is missing
    const std::size_t before = ui.messages.size();
    commands.ShowHelp();
    ASSERT_EQ(ui.messages.size(), before + 1);
    EXPECT_EQ(ui.LastMessage().title, En(TextId::NoHelpProgramTitle));
}

}  // namespace
}  // namespace tarnwerk::test
