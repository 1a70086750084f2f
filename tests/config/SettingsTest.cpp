// The settings file: a write changes one key and nothing else, a failed write leaves the old
// file as it was, and start-up reads defaults, ranges and fallbacks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/LeadingNumber.h"
#include "config/Settings.h"
#include "config/Strings.h"
#include "support/TempDir.h"

namespace tarnwerk {
namespace {

std::string ReadAll(std::ifstream&& in) { return {std::istreambuf_iterator<char>(in), {}}; }
std::string ReadText(const std::string& path) { return ReadAll(std::ifstream(path, std::ios::binary)); }

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

const char* const kUserFile =
    "; written by hand\n[Global]\nTop=120\nLeft=240\n\n[Settings]\n# keep me\nCompression=1\nUnknown=kept\n"
    "Language=0\n\n[Other]\nLanguage=9\n";

TEST(ReadIniValue, FindsTheFirstKeyOfItsSectionElseTheDefault) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Language", "d"), "d");
    WriteText(file, "[ SETTINGS ]\r\n  compression =  0 1  \r\n;Language=3\r\nlanguage=2\r\nLanguage=4\r\nEmpty=  \r\n"
                    "[Global]\r\nTop=5\r\n[Settings]\r\nLanguage=6\r\n");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Compression", "d"), "0 1");
    EXPECT_EQ(ReadIniValue(file, "settings", "LANGUAGE", "d"), "2");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Empty", "d"), "d");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Top", "d"), "d");
    EXPECT_EQ(ReadIniValue(file, "Nowhere", "Top", "d"), "d");
    EXPECT_EQ(ReadIniValue(dir.path(), "Global", "Top", "d"), "d");  // a folder
}

TEST(WriteIniValue, ChangesOneLineAndKeepsTheRest) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteText(file, kUserFile);
    ASSERT_TRUE(WriteIniValue(file, "settings", "LANGUAGE", "2"));
    ASSERT_TRUE(WriteIniValue(file, "Global", "Width", "900"));
    std::string expected = kUserFile;
    expected.replace(expected.find("Language=0"), 10, "LANGUAGE=2");
    expected.replace(expected.find("Left=240\n"), 9, "Left=240\nWidth=900\n");
    EXPECT_EQ(ReadText(file), expected);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tarnwerk.ini"});  // no temporary file left

    WriteText(file, "[Settings]\r\nLanguage=0\r\n[Global]\r\nTop=1");
    ASSERT_TRUE(WriteIniValue(file, "Settings", "Language", "3"));
    EXPECT_EQ(ReadText(file), "[Settings]\r\nLanguage=3\r\n[Global]\r\nTop=1");
    const std::string fresh = dir.File("deep/er/tarnwerk.ini");
    ASSERT_TRUE(WriteIniValue(fresh, "Global", "Top", "15"));
    ASSERT_TRUE(WriteIniValue(fresh, "Settings", "Language", "1"));
    EXPECT_EQ(ReadText(fresh), "[Global]\nTop=15\n\n[Settings]\nLanguage=1\n");
}

TEST(WriteIniValue, ReplacesTheFileInsteadOfRewritingItInPlace) {
    // In place, a crash midway would leave a truncated file; a rename leaves old or new text.
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteText(file, kUserFile);
    struct stat before {}, after {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    std::ifstream oldHandle(file, std::ios::binary);
    ASSERT_TRUE(WriteIniValue(file, "Settings", "Language", "3"));
    EXPECT_EQ(ReadAll(std::move(oldHandle)), kUserFile);
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);

    // Permissions stay, and a symbolic link stays a link to the changed file.
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(symlink(file.c_str(), dir.File("link.ini").c_str()), 0);
    ASSERT_TRUE(WriteIniValue(dir.File("link.ini"), "Settings", "Language", "2"));
    ASSERT_EQ(lstat(dir.File("link.ini").c_str(), &after), 0);
    EXPECT_TRUE(S_ISLNK(after.st_mode));
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadIniValue(file, "Settings", "Language", "d"), "2");
}

TEST(WriteIniValue, RefusalsAndFailuresKeepTheOldFile) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteText(file, kUserFile);
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Language", "1\n[Global]\nTop=99"));
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Lang\r", "1"));
    EXPECT_FALSE(WriteIniValue(file, "Sett]\ning", "Language", "1"));
    EXPECT_FALSE(WriteIniValue(file, "Settings", "", "1"));
    EXPECT_EQ(ReadText(file), kUserFile);
    // A folder in place of the file, and a file in place of the folder: fail for root too.
    ASSERT_EQ(mkdir(dir.File("folder.ini").c_str(), 0700), 0);
    EXPECT_FALSE(WriteIniValue(dir.File("folder.ini"), "Settings", "Language", "1"));
    EXPECT_FALSE(WriteIniValue(file + "/tarnwerk.ini", "Settings", "Language", "1"));
    EXPECT_EQ(ReadText(file), kUserFile);
    if (geteuid() != 0) {  // permissions do not bind root
        ASSERT_EQ(chmod(file.c_str(), 0444), 0);
        EXPECT_FALSE(WriteIniValue(file, "Settings", "Language", "1"));
        ASSERT_EQ(chmod(file.c_str(), 0644), 0);
        ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
        EXPECT_FALSE(WriteIniValue(file, "Settings", "Language", "1"));
        ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
        EXPECT_EQ(ReadText(file), kUserFile);
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"folder.ini", "tarnwerk.ini"}));
}

// --- What start-up makes of the file (a 1024 x 768 screen at 15 twips per pixel) --------------

constexpr int32_t kScreenWidth = 15360, kScreenHeight = 11520;
constexpr int32_t kTopLimit = kScreenHeight - 750, kLeftLimit = kScreenWidth - 480;

using Fields = std::map<std::string, int>;
Fields FieldsOf(const StartupSettings& s) {
    const SettingsRecord& r = s.settings;
    return {{"Top", s.top}, {"Left", s.left}, {"Compression", r.Compression}, {"Encryption", r.Encryption},
            {"Algorithmus", r.Algorithmus}, {"BitPerByte", r.BitPerByte}, {"bits", s.bitsPerByte},
            {"ShowEndMessage", r.ShowEndMessage}, {"ResetOnEnd", r.ResetOnEnd}, {"Language", r.Language},
            {"base", s.languageBase}, {"SendCompress", r.SendCompress}, {"SendDelete", r.SendDelete}};
}
const Fields kDefaults = {{"Top", 0}, {"Left", 0}, {"Compression", 1}, {"Encryption", 1}, {"Algorithmus", 1},
                          {"BitPerByte", 1}, {"bits", 2}, {"ShowEndMessage", 1}, {"ResetOnEnd", 1}, {"Language", 0},
                          {"base", 0}, {"SendCompress", 1}, {"SendDelete", 1}};

class SettingsFile : public ::testing::Test {
protected:
    std::string Path() const { return dir_.File("tarnwerk.ini"); }
    StartupSettings Load(const std::string& text, int32_t width = kScreenWidth, int32_t height = kScreenHeight) {
        WriteText(Path(), text);
        return LoadSettings(Path(), width, height);
    }
    test::TempDir dir_;
};

TEST_F(SettingsFile, NoFileEmptyFileAndEmptyValuesGiveTheDefaults) {
    const StartupSettings missing = LoadSettings(dir_.File("missing.ini"), kScreenWidth, kScreenHeight);
    EXPECT_EQ(missing.iniPath, dir_.File("missing.ini"));
    EXPECT_EQ(FieldsOf(missing), kDefaults);
    EXPECT_EQ(FieldsOf(Load("")), kDefaults);
    EXPECT_EQ(FieldsOf(Load("[Global]\nTop=\nLeft=\n[Settings]\nCompression=\nEncryption=\nAlgorithmus=\n"
                            "BitPerByte=\nShowEndMessage=\nResetOnEnd=\nLanguage=\nSendCompress=\nSendDelete=\n")),
              kDefaults);
}

TEST_F(SettingsFile, ValuesAreRangeCheckedThenRoundedElseFallBack) {
    // Switches are off only for exactly "0". The cipher and bit indexes are range-checked
    // before rounding half to even; the language base needs the exact text; the window must
    // stay on the screen (a window closed while minimised leaves -48000).
    struct Case {
        const char* key;
        std::string value;
        int expected;
        const char* field = nullptr;  // the key's own field unless named
    };
    const std::string tiny = "0." + std::string(400, '0') + "1";  // zero, not infinity
    const Case cases[] = {
        {"Compression", "0", 0}, {"Compression", "00", 1}, {"Compression", "false", 1}, {"Compression", "7", 1},
        {"SendDelete", "0", 0}, {"ShowEndMessage", "-1", 1}, {"Algorithmus", "4.4", 4}, {"Algorithmus", "4.6", 5},
        {"Algorithmus", "5.4", 0}, {"Algorithmus", "6", 0}, {"Algorithmus", "-1", 0}, {"Algorithmus", "2.5", 2},
        {"Algorithmus", "3.5", 4}, {"Algorithmus", "x", 0}, {"Algorithmus", "3abc", 3}, {"Algorithmus", "0.2e1", 2},
        {"Algorithmus", "1e400", 0}, {"Algorithmus", "-0.4", 0}, {"BitPerByte", "1.5", 2},
        {"BitPerByte", "1.5", 4, "bits"},
        {"BitPerByte", "0.5", 0}, {"BitPerByte", "0.5", 1, "bits"}, {"BitPerByte", "2.5", 1}, {"BitPerByte", "3", 1},
        {"BitPerByte", "-0.1", 1}, {"BitPerByte", "abc", 0}, {"BitPerByte", tiny, 0}, {"BitPerByte", tiny, 1, "bits"},
        {"Language", "1", kLanguageBaseEnglish, "base"}, {"Language", "2", kLanguageBaseDutch, "base"},
        {"Language", "3", kLanguageBaseFrench, "base"}, {"Language", "1.0", 1}, {"Language", "1.0", 0, "base"},
        {"Language", "01", 0, "base"}, {"Language", "2.4", 2}, {"Language", "2.4", 0, "base"},
        {"Language", "255", 255}, {"Language", "255", 0, "base"}, {"Language", "255.6", 0}, {"Language", "300", 0},
        {"Language", "-1", 0}, {"Top", std::to_string(kTopLimit), kTopLimit}, {"Top", std::to_string(kTopLimit + 1), 0},
        {"Left", std::to_string(kLeftLimit), kLeftLimit}, {"Left", std::to_string(kLeftLimit + 1), 0},
        {"Top", "-48000", 0}, {"Left", "-48000", 0}, {"Top", "1200.5", 1200}, {"Left", "1201.5", 1202},
        {"Top", "1.2e3", 1200}, {"Left", " 7px", 7}, {"Top", "4294967296", 0}, {"Left", "99999999999", 0},
        {"Top", "nan", 0}, {"Left", "inf", 0}};
    for (const Case& c : cases) {
        const std::string key = c.key, section = key == "Top" || key == "Left" ? "Global" : "Settings";
        const Fields fields = FieldsOf(Load("[" + section + "]\n" + c.key + "=" + c.value + "\n"));
        EXPECT_EQ(fields.at(c.field ? c.field : c.key), c.expected) << c.key << "=" << c.value;
    }
    // A screen smaller than the margins leaves no room: only 0 is kept.
    const StartupSettings small = Load("[Global]\nTop=10\nLeft=10\n", 100, 100);
    EXPECT_EQ(small.top + small.left, 0);
}

TEST_F(SettingsFile, CarrierFilterUsesTheStartLanguage) {
    std::string texts;
    for (const char* language : {"1", "1.0"}) {
        for (const FileFilter& f : Load(std::string("[Settings]\nLanguage=") + language + "\n").carrierFilter)
            texts += f.description + "|" + f.patterns + "\n";
    }
    EXPECT_EQ(texts,
              "Bitmap-picture format (*.bmp;*.dib)|*.bmp;*.dib\nRawdata-picture format (*.raw)|*.raw\n"
              "All supported formats|*.bmp;*.dib;*.raw\nBitmap-Bildformat (*.bmp;*.dib)|*.bmp;*.dib\n"
              "Rohdaten-Bildformat (*.raw)|*.raw\nAlle unterstützten Formate|*.bmp;*.dib;*.raw\n");
}

TEST_F(SettingsFile, SaveWritesTheNineKeysInOrderAndLoadReadsThemBack) {
    WriteText(Path(), "[Global]\nTop=45\n");
    const SettingsRecord saved{0, 0, 5, 2, 0, 0, 3, 0, 0};
    ASSERT_EQ(SaveSettings(Path(), saved), 0);
    EXPECT_EQ(ReadText(Path()),
              "[Global]\nTop=45\n\n[Settings]\nCompression=0\nEncryption=0\nAlgorithmus=5\nBitPerByte=2\n"
              "ShowEndMessage=0\nResetOnEnd=0\nLanguage=3\nSendCompress=0\nSendDelete=0\n");
    const Fields expected = {{"Top", 45}, {"Left", 0}, {"Compression", 0}, {"Encryption", 0}, {"Algorithmus", 5},
                             {"BitPerByte", 2}, {"bits", 4}, {"ShowEndMessage", 0}, {"ResetOnEnd", 0},
                             {"Language", 3}, {"base", kLanguageBaseFrench}, {"SendCompress", 0}, {"SendDelete", 0}};
    EXPECT_EQ(FieldsOf(LoadSettings(Path(), kScreenWidth, kScreenHeight)), expected);
    // Saving again replaces the lines instead of adding more.
    ASSERT_EQ(SaveSettings(Path(), SettingsRecord{}), 0);
    EXPECT_EQ(ReadText(Path()),
              "[Global]\nTop=45\n\n[Settings]\nCompression=1\nEncryption=1\nAlgorithmus=1\nBitPerByte=1\n"
              "ShowEndMessage=1\nResetOnEnd=1\nLanguage=0\nSendCompress=1\nSendDelete=1\n");

    ASSERT_EQ(remove(Path().c_str()), 0);
    ASSERT_EQ(mkdir(Path().c_str(), 0700), 0);  // a folder where the file should be
    EXPECT_EQ(SaveSettings(Path(), SettingsRecord{}), 9);
}

// Sets or clears an environment variable for one scope.
struct EnvScope {
    EnvScope(const char* variable, const char* value) : name(variable) {
        if (const char* now = std::getenv(name)) old = now;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvScope() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

TEST(DefaultIniPath, BesideTheProgramWhenWritableElseInTheUserConfigFolder) {
    test::TempDir dir;
    EXPECT_EQ(DefaultIniPath(dir.path() + "/"), dir.path() + "/tarnwerk.ini");
    const std::string unwritable = dir.File("no-such-folder");
    {
        const EnvScope xdg("XDG_CONFIG_HOME", dir.File("xdg").c_str());
        const std::string path = DefaultIniPath(unwritable);
        EXPECT_EQ(path, dir.File("xdg") + "/tarnwerk/tarnwerk.ini");
        EXPECT_TRUE(WriteIniValue(path, "Global", "Top", "0"));  // the first write creates the folder
    }
    const EnvScope home("HOME", dir.File("home").c_str());
    for (const char* xdg : {static_cast<const char*>(nullptr), "relative/config"}) {
        const EnvScope scope("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(DefaultIniPath(unwritable), dir.File("home") + "/.config/tarnwerk/tarnwerk.ini");
    }
}

TEST(LeadingNumber, ClassicLeadingNumberRuleDecidedByMagnitude) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::string zeros(400, '0');
    const std::pair<std::string, double> cases[] = {
        {"42", 42}, {"  -12.5e1xyz", -125}, {"+.5", 0.5}, {"5.", 5}, {"1,5", 1}, {"1e", 1}, {"1e+", 1}, {"2E-1", 0.2},
        {".", 0}, {"-", 0}, {"e5", 0}, {"", 0}, {"0x10", 0}, {"1e-400", 0}, {"1e400", inf}, {"-1e400", -inf},
        // Beyond the double range the position of the first digit plus the exponent decides.
        {"0." + zeros + "1", 0}, {"-0." + zeros + "1", 0}, {"1" + zeros + "e-1", inf}, {"1" + zeros, inf},
        {"0.01e-99999999999999999999", 0}, {"1e99999999999999999999", inf}, {"1" + zeros + "e-400", 1}};
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumberValue(text), value) << text;

    const std::pair<double, std::optional<int32_t>> rounded[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {2.5000001, 3}, {-0.5, 0}, {-1.5, -2}, {-2.6, -3},
        {2147483647.4, 2147483647}, {2147483647.5, std::nullopt}, {-2147483648.0, std::numeric_limits<int32_t>::min()},
        {-2147483648.6, std::nullopt}, {std::nan(""), std::nullopt}, {inf, std::nullopt}};
    for (const auto& [value, expected] : rounded) EXPECT_EQ(RoundHalfEven32(value), expected) << value;
}

}  // namespace
}  // namespace tarnwerk
