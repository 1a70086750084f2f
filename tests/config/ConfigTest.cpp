// The settings file (a write changes one key and nothing else, start-up falls back on what it
// cannot read), numbers beyond a double's range, and the shipped string table.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/Utf8.h"
#include "config/Codepage.h"
#include "config/LeadingNumber.h"
#include "config/Settings.h"
#include "config/StringTable.h"
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

// The file is replaced by a rename, never rewritten in place (a crash would truncate it).
TEST(WriteIniValue, ChangesOneLineKeepsTheRestAndReplacesTheFile) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteText(file, kUserFile);
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    std::ifstream oldHandle(file, std::ios::binary);
    ASSERT_TRUE(WriteIniValue(file, "settings", "LANGUAGE", "2"));
    ASSERT_TRUE(WriteIniValue(file, "Global", "Width", "900"));
    std::string expected = kUserFile;
    expected.replace(expected.find("Language=0"), 10, "LANGUAGE=2");
    expected.replace(expected.find("Left=240\n"), 9, "Left=240\nWidth=900\n");
    EXPECT_EQ(ReadText(file), expected);
    EXPECT_EQ(ReadAll(std::move(oldHandle)), kUserFile);
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tarnwerk.ini"});  // no temporary file left
}

TEST(WriteIniValue, LineBreaksInValuesKeysOrSectionsAreRefused) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteText(file, kUserFile);
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Language", "1\n[Global]\nTop=99"));
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Lang\r", "1"));
    EXPECT_FALSE(WriteIniValue(file, "Sett]\ning", "Language", "1"));
    EXPECT_FALSE(WriteIniValue(file, "Settings", "", "1"));
    EXPECT_EQ(ReadText(file), kUserFile);
}

// A failed save says why and which file, so the message can name it in the user's language.
TEST(WriteIniValue, FailuresCarryTheReasonAndTheFile) {
    test::TempDir dir;
    const Status folder = SaveSettings(dir.path(), SettingsRecord{});
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().code, ErrorCode::NotRegularFile);
    EXPECT_EQ(folder.error().path, dir.path());
    WriteText(dir.File("file"), "x");
    const Status under = WriteIniValue(dir.File("file") + "/tarnwerk.ini", "Settings", "Language", "1");
    ASSERT_FALSE(under);
    EXPECT_EQ(under.error().code, ErrorCode::Io);
    EXPECT_EQ(under.error().number, ENOTDIR);
    EXPECT_EQ(WriteIniValue(dir.File("new.ini"), "Settings", "Lang\n", "1").error().code, ErrorCode::Internal);
}

using Fields = std::map<std::string, int>;
Fields FieldsOf(const StartupSettings& s) {
    const SettingsRecord& r = s.settings;
    return {{"Top", s.top},          {"Compression", r.Compression}, {"Algorithmus", static_cast<int>(r.Algorithmus)},
            {"bits", r.bitsPerByte}, {"base", s.languageBase},       {"Method", static_cast<int>(r.Method)}};
}

// Start-up on a 1024 x 768 screen (15 twips per pixel): switches are off only for exactly "0",
// indexes are range-checked before rounding half to even, the window must stay on the screen,
// and only an exact 1 selects the stealth method (a value of a later version reads as classic).
struct FallbackRow {
    const char *name, *key;
    std::string value;
    int expected;
    const char* field = nullptr;  // the key's own field unless named
};
void PrintTo(const FallbackRow& row, std::ostream* out) { *out << row.key << "=" << row.value.substr(0, 20); }
class SettingsFallback : public ::testing::TestWithParam<FallbackRow> {};

TEST_P(SettingsFallback, ValueItCannotUseFallsBack) {
    const FallbackRow& row = GetParam();
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    const std::string section = row.key == std::string("Top") ? "[Global]\n" : "[Settings]\n";
    WriteText(file, section + row.key + "=" + row.value);
    EXPECT_EQ(FieldsOf(LoadSettings(file, 15360, 11520)).at(row.field ? row.field : row.key), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    LoadSettings, SettingsFallback,
    ::testing::Values(
        FallbackRow{"SwitchOffOnlyForExactlyZero", "Compression", "00", 1},
        FallbackRow{"CipherIndexOutOfRange", "Algorithmus", "5.4", 0},
        FallbackRow{"CipherIndexRoundsHalfToEven", "Algorithmus", "3.5", 4},
        FallbackRow{"CipherIndexUpToTheLastCipher", "Algorithmus", "4.6", 5},
        FallbackRow{"BitsBelowTheSmallestDouble", "BitPerByte", "0." + std::string(400, '0') + "1", 1, "bits"},
        FallbackRow{"LanguageWithLeadingZero", "Language", "01", 0, "base"},
        FallbackRow{"WindowBelowTheScreen", "Top", "10771", 0}, FallbackRow{"WindowAboveTheScreen", "Top", "-48000", 0},
        FallbackRow{"StealthMethod", "Method", "1", 1}, FallbackRow{"StealthMethodWithBlanks", "Method", " 1 ", 1},
        FallbackRow{"MethodOfALaterVersion", "Method", "2", 0}, FallbackRow{"MethodNotAnInteger", "Method", "1.0", 0},
        FallbackRow{"MethodAsAWord", "Method", "stealth", 0}, FallbackRow{"MethodEmpty", "Method", "", 0}),
    [](const auto& row) { return std::string(row.param.name); });

// The method is stored as its number after the nine older keys, and read back; a file
// without it (every file older programs wrote) means the classic method.
TEST(SaveSettings, StoresTheHidingMethodAfterTheOlderKeys) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteText(file, "[Settings]\nLanguage=1\n");
    EXPECT_EQ(LoadSettings(file, 15360, 11520).settings.Method, HidingMethod::Classic);
    SettingsRecord record;
    record.Method = HidingMethod::Stealth;
    ASSERT_TRUE(SaveSettings(file, record));
    EXPECT_EQ(ReadText(file),
              "[Settings]\nLanguage=0\nCompression=1\nEncryption=1\nAlgorithmus=1\nBitPerByte=1\n"
              "ShowEndMessage=1\nResetOnEnd=1\nSendCompress=1\nSendDelete=1\nMethod=1\nKeepOriginal=0\n");
    EXPECT_EQ(LoadSettings(file, 15360, 11520).settings.Method, HidingMethod::Stealth);
}

// Keeping the original is off unless the file says so; a save writes it beside the other
// switches, and an older file without the key still hides in place.
TEST(LoadSettings, KeepOriginalIsOffByDefaultAndSurvivesASave) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    const struct {
        const char* text;  // the [Settings] section's lines; nullptr: no file at all
        int expected;
    } rows[] = {{nullptr, 0},
                {"Compression=1\n", 0},
                {"KeepOriginal=\n", 0},
                {"KeepOriginal=0\n", 0},
                {"KeepOriginal=1\n", 1},
                {"KeepOriginal=yes\n", 1}};
    for (const auto& row : rows) {
        std::filesystem::remove(file);
        if (row.text) WriteText(file, std::string("[Settings]\n") + row.text);
        EXPECT_EQ(int{LoadSettings(file, 15360, 11520).settings.KeepOriginal}, row.expected)
            << (row.text ? row.text : "no file");
    }
    SettingsRecord record;
    record.KeepOriginal = true;
    ASSERT_TRUE(SaveSettings(file, record));
    EXPECT_NE(ReadText(file).find("\nKeepOriginal=1\n"), std::string::npos) << ReadText(file);
    EXPECT_TRUE(LoadSettings(file, 15360, 11520).settings.KeepOriginal);
    record.KeepOriginal = false;
    ASSERT_TRUE(SaveSettings(file, record));
    EXPECT_FALSE(LoadSettings(file, 15360, 11520).settings.KeepOriginal);
}

// The carrier dialog offers each kind on its own and all of them together, in the language.
TEST(CarrierFilter, OffersBitmapPngRawAndAllSupported) {
    const std::vector<FileFilter> english = BuildCarrierFilter(kLanguageBaseEnglish);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const FileFilter& entry : english) entries.emplace_back(entry.description, entry.patterns);
    EXPECT_EQ(entries,
              (std::vector<std::pair<std::string, std::string>>{{"Bitmap picture format (*.bmp;*.dib)", "*.bmp;*.dib"},
                                                                {"PNG picture (*.png)", "*.png"},
                                                                {"Raw-data picture format (*.raw)", "*.raw"},
                                                                {"All supported formats", "*.bmp;*.dib;*.png;*.raw"}}));
    EXPECT_EQ(BuildCarrierFilter(kLanguageBaseGerman)[1].description, "PNG-Bild (*.png)");
}

// Beside the program for a copy in a folder of its own; never into the system's program
// folders, which root could write to.
TEST(DefaultIniPath, BesideTheProgramUnlessThatIsASystemFolder) {
    test::TempDir dir;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", "/cfg", 1), 0);
    EXPECT_EQ(DefaultIniPath(dir.path() + "/"), dir.path() + "/tarnwerk.ini");
    EXPECT_EQ(DefaultIniPath("/usr/local/bin"), "/cfg/tarnwerk/tarnwerk.ini");
    EXPECT_EQ(DefaultIniPath("/usr/bin"), "/cfg/tarnwerk/tarnwerk.ini");
    saved ? setenv("XDG_CONFIG_HOME", previous.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

TEST(LeadingNumber, ClassicLeadingNumberRuleDecidedByMagnitude) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::string zeros(400, '0');
    const std::pair<std::string, double> cases[] = {
        {"  -12.5e1xyz", -125},
        {"1,5", 1},
        {"0x10", 0},
        {"-1e400", -inf},
        // Beyond the double range the position of the first digit plus the exponent decides.
        {"0." + zeros + "1", 0},
        {"1" + zeros + "e-1", inf},
        {"0.01e-99999999999999999999", 0},
        {"1e99999999999999999999", inf},
        {"1" + zeros + "e-400", 1}};
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumberValue(text), value) << text;
}

TEST(LeadingNumber, RoundsHalfToEvenWithin32Bits) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, std::optional<int32_t>> rounded[] = {
        {-0.5, 0}, {-1.5, -2}, {2147483647.5, std::nullopt}, {std::nan(""), std::nullopt}, {inf, std::nullopt}};
    for (const auto& [value, expected] : rounded) EXPECT_EQ(RoundHalfEven32(value), expected) << value;
}

// A first start (no settings file) speaks the desktop's language, LC_ALL before LC_MESSAGES
// before LANG; any other language gets English, and so do the file filters. A settings file
// keeps its meaning: without a Language key it is German, as it always was.
struct LocaleRow {
    const char *name, *lcAll, *lcMessages, *lang;
    int firstStart;
};
void PrintTo(const LocaleRow& row, std::ostream* out) { *out << row.lcAll << "/" << row.lcMessages << "/" << row.lang; }
class FirstStartLanguage : public ::testing::TestWithParam<LocaleRow> {
protected:
    void TearDown() override {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(name);
    }
};

TEST_P(FirstStartLanguage, ComesFromTheLocaleUnlessASettingsFileExists) {
    const LocaleRow& row = GetParam();
    const std::map<int, std::string> bitmapFilter = {{kLanguageBaseGerman, "Bitmap-Bildformat"},
                                                     {kLanguageBaseEnglish, "Bitmap picture format"},
                                                     {kLanguageBaseDutch, "Bitmap-beeldformaat"},
                                                     {kLanguageBaseFrench, "Format d'image bitmap"}};
    test::TempDir dir;
    const std::string existing = dir.File("tarnwerk.ini");
    WriteText(existing, "[Settings]\nCompression=1\n");
    for (const auto& [name, value] :
         {std::pair{"LC_ALL", row.lcAll}, {"LC_MESSAGES", row.lcMessages}, {"LANG", row.lang}})
        ::setenv(name, value, 1);
    const StartupSettings first = LoadSettings(dir.File("none/tarnwerk.ini"), 15360, 11520);
    EXPECT_EQ(first.languageBase, row.firstStart);
    EXPECT_EQ(LanguageBaseFromLanguage(first.settings.Language), row.firstStart);
    EXPECT_EQ(first.carrierFilter.front().description, bitmapFilter.at(row.firstStart) + " (*.bmp;*.dib)");
    EXPECT_EQ(LoadSettings(existing, 15360, 11520).languageBase, kLanguageBaseGerman);
}

INSTANTIATE_TEST_SUITE_P(LoadSettings, FirstStartLanguage,
                         ::testing::Values(LocaleRow{"German", "", "", "de_DE.UTF-8", kLanguageBaseGerman},
                                           LocaleRow{"DutchOfBelgium", "", "", "nl_BE", kLanguageBaseDutch},
                                           LocaleRow{"FrenchWithoutRegion", "", "", "fr", kLanguageBaseFrench},
                                           LocaleRow{"English", "", "", "en_GB.UTF-8", kLanguageBaseEnglish},
                                           LocaleRow{"OtherLanguage", "", "", "pt_BR.UTF-8", kLanguageBaseEnglish},
                                           LocaleRow{"CLocale", "", "", "C", kLanguageBaseEnglish},
                                           LocaleRow{"Unset", "", "", "", kLanguageBaseEnglish},
                                           LocaleRow{"MessagesBeforeLang", "", "deu", "fr_FR", kLanguageBaseEnglish},
                                           LocaleRow{"AllBeforeMessages", "fr_CA", "de_DE", "nl_NL",
                                                     kLanguageBaseFrench},
                                           LocaleRow{"MessagesOverLang", "", "nl_NL", "de_DE", kLanguageBaseDutch}),
                         [](const auto& row) { return std::string(row.param.name); });

// Every stored text is Windows-1252: a byte that changed would alter a passphrase digest.
TEST(Codepage, EveryByteRoundTripsThroughUtf8) {
    for (int value = 0; value < 256; ++value) {
        const std::string byte(1, static_cast<char>(value));
        const std::string utf8 = Cp1252ToUtf8(byte);
        EXPECT_EQ(DecodeUtf8(utf8).value_or(U"").size(), 1u) << "byte " << value;
        EXPECT_EQ(Utf8ToCp1252(utf8), std::optional<std::string>(byte)) << "byte " << value;
    }
}

TEST(Codepage, KnownCharactersAndNulBytes) {
    EXPECT_EQ(Cp1252ToUtf8("\x80\x8A\x93\x94\x99\x9F\xE4\xDF\xA0"), "€Š“”™Ÿäß\u00A0");
    EXPECT_EQ(Utf8ToCp1252("Grüße, Œuvre"), std::optional<std::string>("Gr\xFC\xDF"
                                                                       "e, \x8Cuvre"));
    EXPECT_EQ(Utf8ToCp1252(std::string("a\0b", 3)), std::optional<std::string>(std::string("a\0b", 3)));
}

// U+0080 and U+009F are C1 controls whose bytes stand for "€" and "Ÿ" here.
TEST(Codepage, CharactersOutsideTheCodePageAreRefused) {
    for (const char* refused : {"Zażółć", "日本", "\u0080", "\u009F"}) EXPECT_EQ(Utf8ToCp1252(refused), std::nullopt);
}

// Invalid UTF-8 (already single-byte, overlong, cut off) is taken byte for byte.
TEST(Codepage, InvalidUtf8IsTakenByteForByte) {
    for (const std::string invalid : {"caf\xE9", "\xC0\xAF", "ab\xE2\x82"})
        EXPECT_EQ(Utf8ToCp1252(invalid), std::optional<std::string>(invalid));
}

constexpr int kBases[] = {kLanguageBaseGerman, kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench};

// A sample of the texts exactly as users see them, with the old spelling slips mended.
TEST(StringTable, GermanAndEnglishTextsAreExact) {
    const struct {
        TextId id;
        const char *english, *german;
    } known[] = {
        {TextId::HideExtractGroupCaption, "Hiding && Extracting", "Verbergen && Extrahieren"},
        {TextId::NeededSizeTitle, "Needed carrier file", "Benötigte Trägerdatei"},
        {TextId::SizeErrorText, "An error occurred while hiding the data.",
         "Beim Verbergen der Daten ist ein Fehler aufgetreten."},
        {TextId::OverwriteQuestion, "Do you want to overwrite the file?", "Soll diese Datei überschrieben werden?"},
    };
    for (const auto& k : known) {
        EXPECT_EQ(Text(kLanguageBaseEnglish, k.id), k.english) << "English id " << static_cast<int>(k.id);
        EXPECT_EQ(Text(kLanguageBaseGerman, k.id), k.german) << "German " << static_cast<int>(k.id);
    }
    EXPECT_EQ(JoinLines(kLanguageBaseEnglish, {TextId::TooLargeText, TextId::LargerCarrierHint}),
              "The data file is too large for the carrier file.\r\nSelect a larger carrier file.");
    EXPECT_EQ(JoinLines(kLanguageBaseFrench,
                        {TextId::GermanLanguageName, TextId::DutchLanguageName, TextId::FrenchLanguageName}),
              "Deutsch\r\nNederlands\r\nFrançais");  // fixed ids, no base
}

// The names are what the code asks for: each must lead to a text in every language, and no
// entry may be left without a name (the code could not ask for it).
TEST(StringTable, EveryNameHasAllFourLanguagesAndEveryEntryAName) {
    for (const std::string& problem : StringTableProblems()) ADD_FAILURE() << problem;
    for (const auto& [id, name] : EntryNames()) {
        for (const int base : kBases) {
            EXPECT_TRUE(HasEntry(id < 5 ? id : base + id)) << name << " (" << id << ") has no text at " << base;
        }
    }
    for (const int entry : AllEntries()) {
        if (entry >= kLanguageBaseEnglish) continue;  // the German and fixed entries carry the names
        EXPECT_EQ(EntryNames().count(entry), 1u) << "entry " << entry << " has no name";
    }
    EXPECT_GT(EntryNames().size(), 200u);
}

// The code names its texts; a number cast into a name would bypass the table's names.
TEST(StringTable, ProductCodeCastsNoNumberIntoATextName) {
    const std::filesystem::path root = TARNWERK_SOURCE_DIR;
    const std::regex cast(R"(static_cast<\s*TextId\s*>|TextId\s*[({]\s*\d)");
    for (const char* folder : {"app", "ui", "cli", "config", "core"}) {
        if (!std::filesystem::is_directory(root / folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
            EXPECT_FALSE(std::regex_search(ReadText(entry.path()), cast)) << entry.path();
        }
    }
}

// What a person editing resources/strings.txt may write, and the mistakes the parser reports.
// A byte-order mark must not hide the first block; a CR ends only the line.
TEST(StringTableFormat, EntriesAreBasePlusIdVerbatim) {
    const StringTable table = ParseStringTable(
        "\xEF\xBB\xBF[Fixed 0]\n# comment\n\n1\tDeutsch\n[English 2000]\n255\t \n"
        "301\t  two blanks in front, one behind \n302\ttab\tinside\r\n303\tno line end");
    EXPECT_TRUE(table.problems.empty());
    EXPECT_EQ(table.entries, (std::map<int, std::string>{{1, "Deutsch"},
                                                         {2255, " "},
                                                         {2301, "  two blanks in front, one behind "},
                                                         {2302, "tab\tinside"},
                                                         {2303, "no line end"}}));
}

TEST(StringTableFormat, MistakesAreReportedAndTheFirstEntryKept) {
    const StringTable table = ParseStringTable(
        "5\tbefore any block\n[German 0]\n101\tfirst\n101\tsecond\n102 no tab\n"
        "x\tnot a number\n[Broken]\n[Bad base x]\n");
    EXPECT_EQ(table.problems.size(), 6u);
    EXPECT_EQ(table.entries, (std::map<int, std::string>{{101, "first"}}));
}

// The names block names ids without adding entries; a name must be a unique identifier, so that
// the build can turn it into a constant.
TEST(StringTableFormat, NamesBlockNamesIdsAndRefusesWhatCannotBeAConstant) {
    StringTable table = ParseStringTable(
        "[German 0]\n101\tDatei\n[Names]\n101\tFileMenu\n311\tHidingStatus2\n"
        "[English 2000]\n101\tFile\n");
    EXPECT_TRUE(table.problems.empty());
    EXPECT_EQ(table.entries, (std::map<int, std::string>{{101, "Datei"}, {2101, "File"}}));
    EXPECT_EQ(table.names, (std::map<int, std::string>{{101, "FileMenu"}, {311, "HidingStatus2"}}));
    table = ParseStringTable("[Names]\n101\tFile Menu\n102\t2ndMenu\n103\tOpen\n104\tOpen\n103\tOther\n105\t\n");
    EXPECT_EQ(table.problems.size(), 5u);
    EXPECT_EQ(table.names, (std::map<int, std::string>{{103, "Open"}}));
}

}  // namespace
}  // namespace tarnwerk
