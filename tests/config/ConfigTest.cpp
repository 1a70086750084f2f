// The settings file (a write changes one key and nothing else, a failed write leaves the old
// file as it was, start-up reads defaults, ranges and fallbacks), the helpers beneath it (the
// text helpers, the Windows-1252 code page of every stored text and the size fields' number
// patterns, where a byte that changes alters a passphrase digest or a file extension) and the
// shipped string table.
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
#include <locale>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/Codepage.h"
#include "config/Helpers.h"
#include "config/LeadingNumber.h"
#include "config/NumberFormat.h"
#include "config/Settings.h"
#include "config/StringTable.h"
#include "config/Strings.h"
#include "config/Utf8.h"
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

// The file is replaced by a rename, never rewritten in place (a crash would truncate it): an
// open handle still reads the old text; permissions and a symbolic link stay.
TEST(WriteIniValue, ChangesOneLineKeepsTheRestAndReplacesTheFile) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteText(file, kUserFile);
    struct stat before {}, after {};
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

    WriteText(file, "[Settings]\r\nLanguage=0\r\n[Global]\r\nTop=1");
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(symlink(file.c_str(), dir.File("link.ini").c_str()), 0);
    ASSERT_TRUE(WriteIniValue(dir.File("link.ini"), "Settings", "Language", "3"));
    EXPECT_EQ(ReadText(file), "[Settings]\r\nLanguage=3\r\n[Global]\r\nTop=1");
    ASSERT_EQ(lstat(dir.File("link.ini").c_str(), &after), 0);
    EXPECT_TRUE(S_ISLNK(after.st_mode));
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    const std::string fresh = dir.File("deep/er/tarnwerk.ini");
    ASSERT_TRUE(WriteIniValue(fresh, "Global", "Top", "15"));
    ASSERT_TRUE(WriteIniValue(fresh, "Settings", "Language", "1"));
    EXPECT_EQ(ReadText(fresh), "[Global]\nTop=15\n\n[Settings]\nLanguage=1\n");
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

// What start-up makes of the file (a 1024 x 768 screen at 15 twips per pixel).
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

TEST_F(SettingsFile, DefaultsRangesRoundingAndFallbacks) {
    const StartupSettings missing = LoadSettings(dir_.File("missing.ini"), kScreenWidth, kScreenHeight);
    EXPECT_EQ(missing.iniPath, dir_.File("missing.ini"));
    EXPECT_EQ(FieldsOf(missing), kDefaults);
    EXPECT_EQ(FieldsOf(Load("")), kDefaults);
    EXPECT_EQ(FieldsOf(Load("[Global]\nTop=\nLeft=\n[Settings]\nCompression=\nEncryption=\nAlgorithmus=\n"
                            "BitPerByte=\nShowEndMessage=\nResetOnEnd=\nLanguage=\nSendCompress=\nSendDelete=\n")),
              kDefaults);
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
        {"Compression", "0", 0}, {"Compression", "00", 1}, {"SendDelete", "0", 0}, {"ShowEndMessage", "-1", 1},
        {"Algorithmus", "4.6", 5}, {"Algorithmus", "5.4", 0}, {"Algorithmus", "6", 0},
        {"Algorithmus", "2.5", 2}, {"Algorithmus", "3.5", 4}, {"Algorithmus", "x", 0}, {"Algorithmus", "3abc", 3},
        {"Algorithmus", "0.2e1", 2}, {"Algorithmus", "1e400", 0}, {"BitPerByte", "1.5", 2},
        {"BitPerByte", "1.5", 4, "bits"}, {"BitPerByte", "0.5", 0}, {"BitPerByte", "0.5", 1, "bits"},
        {"BitPerByte", "2.5", 1}, {"BitPerByte", "-0.1", 1}, {"BitPerByte", "abc", 0}, {"BitPerByte", tiny, 0},
        {"BitPerByte", tiny, 1, "bits"}, {"Language", "3", kLanguageBaseFrench, "base"}, {"Language", "1.0", 1},
        {"Language", "1.0", 0, "base"}, {"Language", "01", 0, "base"}, {"Language", "255", 255},
        {"Language", "255", 0, "base"}, {"Language", "300", 0}, {"Top", std::to_string(kTopLimit), kTopLimit},
        {"Top", std::to_string(kTopLimit + 1), 0}, {"Left", std::to_string(kLeftLimit), kLeftLimit},
        {"Left", std::to_string(kLeftLimit + 1), 0}, {"Top", "-48000", 0}, {"Top", "1200.5", 1200},
        {"Left", "1201.5", 1202}, {"Left", " 7px", 7}, {"Top", "4294967296", 0}, {"Top", "nan", 0}, {"Left", "inf", 0}};
    for (const Case& c : cases) {
        const std::string key = c.key, section = key == "Top" || key == "Left" ? "Global" : "Settings";
        const Fields fields = FieldsOf(Load("[" + section + "]\n" + c.key + "=" + c.value + "\n"));
        EXPECT_EQ(fields.at(c.field ? c.field : c.key), c.expected) << c.key << "=" << c.value;
    }
    // A screen smaller than the margins leaves no room: only 0 is kept.
    const StartupSettings small = Load("[Global]\nTop=10\nLeft=10\n", 100, 100);
    EXPECT_EQ(small.top + small.left, 0);
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

// Beside the program for a copy in a folder of its own; never into the system's program
// folders, which root could write to.
TEST_F(SettingsFile, DefaultPathIsBesideTheProgramUnlessThatIsASystemFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", "/cfg", 1), 0);
    EXPECT_EQ(DefaultIniPath(dir_.path() + "/"), dir_.path() + "/tarnwerk.ini");
    EXPECT_EQ(DefaultIniPath("/usr/local/bin"), "/cfg/tarnwerk/tarnwerk.ini");
    EXPECT_EQ(DefaultIniPath("/usr/bin"), "/cfg/tarnwerk/tarnwerk.ini");
    saved ? setenv("XDG_CONFIG_HOME", previous.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

TEST(LeadingNumber, ClassicLeadingNumberRuleDecidedByMagnitude) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::string zeros(400, '0');
    const std::pair<std::string, double> cases[] = {
        {"  -12.5e1xyz", -125}, {"+.5", 0.5}, {"1,5", 1}, {"1e+", 1}, {"0x10", 0}, {"1e-400", 0}, {"-1e400", -inf},
        // Beyond the double range the position of the first digit plus the exponent decides.
        {"0." + zeros + "1", 0}, {"-0." + zeros + "1", 0}, {"1" + zeros + "e-1", inf}, {"1" + zeros, inf},
        {"0.01e-99999999999999999999", 0}, {"1e99999999999999999999", inf}, {"1" + zeros + "e-400", 1}};
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumberValue(text), value) << text;

    const std::pair<double, std::optional<int32_t>> rounded[] = {
        {-0.5, 0}, {2.5000001, 3}, {-1.5, -2}, {2147483647.4, 2147483647}, {2147483647.5, std::nullopt},
        {-2147483648.0, INT32_MIN}, {-2147483648.6, std::nullopt}, {std::nan(""), std::nullopt}, {inf, std::nullopt}};
    for (const auto& [value, expected] : rounded) EXPECT_EQ(RoundHalfEven32(value), expected) << value;
}

TEST(Helpers, TextsAreCutSplitAndReplacedExactly) {
    // HexToBin reads a pair as far as its digits go; ReplaceAll starts every search again at the
    // front, and calls that would never end return.
    const std::pair<std::string, std::string> gotAndExpected[] = {
        {StripNul(std::string("a b \0 tail", 10)), "a b"}, {StripNul("  lead  "), "  lead"},
        {HexToBin("00ff7F80"), std::string("\x00\xFF\x7F\x80", 4)}, {HexToBin("4GG4"), std::string("\x04\x00", 2)},
        {GetExtension("/a/archive.tar.gz"), "gz"}, {GetExtension("/x.y/file"), ""}, {GetExtension("/a/name."), ""},
        {GetFileName("/a/b.bmp"), "b.bmp"}, {GetFileName("b.bmp"), ""}, {TrimBlanks("  pass phrase  "), "pass phrase"},
        {TrimBlanks("\tx\t"), "\tx\t"}, {ReplaceAll("aab", "ab", "b"), "b"}, {ReplaceAll("text", "", "x"), "text"},
        {ReplaceAll("a-a", "a", "aa"), "aa-aa"}, {ReplaceAll("a\r\nb\r\n", "\r\n", "\n"), "a\nb\n"}};
    for (const auto& [got, expected] : gotAndExpected) EXPECT_EQ(got, expected);
}

TEST(Helpers, FileExistsOnlyForReadableRegularFiles) {
    test::TempDir dir;
    std::ofstream(dir.File("empty")).close();
    EXPECT_TRUE(FileExists(dir.File("empty")));
    ASSERT_EQ(symlink(dir.File("empty").c_str(), dir.File("link").c_str()), 0);
    EXPECT_TRUE(FileExists(dir.File("link")));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);  // an open for reading would block
    EXPECT_FALSE(FileExists(dir.File("pipe")));
    ASSERT_EQ(chmod(dir.File("empty").c_str(), 0), 0);
    EXPECT_TRUE(geteuid() == 0 || !FileExists(dir.File("empty")));  // root reads every file
}

TEST(Codepage, EveryByteRoundTripsAndOnlyWindows1252IsAccepted) {
    for (int value = 0; value < 256; ++value) {
        const std::string byte(1, static_cast<char>(value));
        const std::string utf8 = Cp1252ToUtf8(byte);
        EXPECT_EQ(DecodeUtf8(utf8).value_or(U"").size(), 1u) << "byte " << value;
        EXPECT_EQ(Utf8ToCp1252(utf8), std::optional<std::string>(byte)) << "byte " << value;
    }
    EXPECT_EQ(Cp1252ToUtf8("\x80\x8A\x93\x94\x99\x9F\xE4\xDF\xA0"), "€Š“”™Ÿäß\u00A0");
    EXPECT_EQ(DecodeUtf8(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D")), U"\u0081\u008D\u008F\u0090\u009D");  // unassigned
    EXPECT_EQ(Utf8ToCp1252("Grüße, Œuvre"), std::optional<std::string>("Gr\xFC\xDF" "e, \x8Cuvre"));
    EXPECT_EQ(Utf8ToCp1252(std::string("a\0b", 3)), std::optional<std::string>(std::string("a\0b", 3)));
    // U+0080 and U+009F are C1 controls whose bytes stand for "€" and "Ÿ" here.
    for (const char* refused : {"Zażółć", "日本", "\U0001F600", "\u0080", "\u009F"})
        EXPECT_EQ(Utf8ToCp1252(refused), std::nullopt) << refused;
    // Invalid UTF-8 (already single-byte, overlong, surrogate, cut off) is taken byte for byte.
    for (const std::string invalid : {"caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "ab\xE2\x82"})
        EXPECT_EQ(Utf8ToCp1252(invalid), std::optional<std::string>(invalid));
    for (const char32_t codePoint : {U'\u07FF', U'\u0800', U'\uFFFF', U'\U0010FFFF'}) {  // the 256 bytes cover less
        std::string utf8;
        AppendUtf8(utf8, codePoint);
        EXPECT_EQ(DecodeUtf8(utf8), std::u32string(1, codePoint)) << static_cast<unsigned>(codePoint);
    }
    for (const char* bad : {"\xF4\x90\x80\x80", "\xE0\x80\x80", "\x80"}) EXPECT_FALSE(DecodeUtf8(bad)) << bad;
}

TEST(NumberFormat, GroupsThousandsWithTheLocaleSeparator) {
    const char* old = std::getenv("LC_ALL");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    // An unknown locale falls back to the comma; German and French are checked where installed.
    for (const char* name : {"C", "xx_NOWHERE.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        try {
            if (name[0] == 'd' || name[0] == 'f') std::locale probe(name);
        } catch (const std::runtime_error&) {
            continue;
        }
        setenv("LC_ALL", name, 1);
        const std::string sep = ThousandsSeparator();
        // French groups with a narrow (no-break) space: more than one byte, never a fragment.
        const char* expected = name[0] == 'd' ? "." : name[0] == 'f' ? (sep == "\u00A0" ? "\u00A0" : "\u202F") : ",";
        EXPECT_EQ(sep, expected) << name;
        EXPECT_EQ(FormatHashGroup(0), "");
        EXPECT_EQ(FormatHashGroupZero(0), "0");
        EXPECT_EQ(FormatHashGroup(999), "999");
        EXPECT_EQ(FormatHashGroupZero(-1234567), "-1" + sep + "234" + sep + "567");
        EXPECT_EQ(FormatHashGroup(std::numeric_limits<int64_t>::min()),
                  "-9" + sep + "223" + sep + "372" + sep + "036" + sep + "854" + sep + "775" + sep + "808");
    }
    saved ? setenv("LC_ALL", saved->c_str(), 1) : unsetenv("LC_ALL");
}

constexpr int kBases[] = {kLanguageBaseGerman, kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench};

// The shipped string table: every id the program asks for exists in every language, and the
// German and English texts are the ones users know, letter for letter.
TEST(StringTable, CompiledInTableIsTheFileInTheTreeAndSound) {
    for (const std::string& problem : StringTableProblems()) ADD_FAILURE() << problem;
    const std::string_view source = StringTableSource();
    EXPECT_TRUE(ReadText(std::string(TARNWERK_SOURCE_DIR) + "/resources/strings.txt") == source)
        << "the compiled-in table differs from resources/strings.txt";
    for (const int entry : AllEntries()) {
        const std::string text = Text(0, entry);
        EXPECT_TRUE(DecodeUtf8(text).has_value() && !text.empty()) << "entry " << entry;
        EXPECT_EQ(text.find_first_of("\r\n\t"), std::string::npos) << "entry " << entry;
    }
}

// A sample of the texts exactly as users see them, spelling mistakes included.
TEST(StringTable, GermanAndEnglishTextsAreExact) {
    const struct {
        int id;
        const char *english, *german;
    } known[] = {
        {241, "Hiding && Extracting", "Verbergen && Extrahieren"},
        {318, "has occorred.", "aufgetreten."},
        {417, "Needed carrier file", "Benötigte Tägerdatei"},
        {421, "An error is occurred while hiding the data.", "Beim Verbergen der Daten ist ein Feher aufgeterten."},
        {438, "or the file ist read-only.", "oder die Datei ist nicht zum Beschreiben geeignet."},
        {456, "The arcive file is already exist.", "Die Archivdatei ist bereits vorhanden."},
        {913, "  Skipjack is a trademark of NSA (National Security Agency)", nullptr},
    };
    for (const auto& k : known) {
        EXPECT_EQ(Text(kLanguageBaseEnglish, k.id), k.english) << "English id " << k.id;
        EXPECT_EQ(k.german ? Text(kLanguageBaseGerman, k.id) : "", k.german ? k.german : "") << "German " << k.id;
    }
    EXPECT_EQ(JoinLines(kLanguageBaseEnglish, {433, 434}),
              "The data file is to large for the carrier file.\r\nSelect a larger carrier file.");
    EXPECT_EQ(JoinLines(kLanguageBaseFrench, {1, 4}), "Deutsch\r\nFrançais");  // fixed ids, no base
}

// Named constants of one source file: "kName = 123".
std::map<std::string, int> NamedNumbers(const std::string& source) {
    static const std::regex kConstant(R"(\b(k\w+)\s*=\s*(\d+)\s*;)");
    std::map<std::string, int> numbers;
    for (std::sregex_iterator it(source.begin(), source.end(), kConstant), end; it != end; ++it)
        numbers[(*it)[1].str()] = std::stoi((*it)[2].str());
    return numbers;
}

// Text(id), Text(base, id), session.Text(id); id lists of JoinLines and of the message builders
// (MakeMessage(session, {a, b}, icon, title)); a command's failure text; Caption table entries.
// A token is a number or a named constant of the file, else of any scanned file.
std::vector<int> IdsUsedIn(const std::string& source, const std::map<std::string, int>& shared = {}) {
    static const std::regex kTextCall(R"(\bText\s*\(\s*(?:[\w.>\-]+\s*,\s*)?(\w+)\s*\))");
    static const std::regex kIdList(
        R"(\b(?:JoinLines|\w*Message)\s*\(\s*[^,{}()]+,\s*\{([^}]*)\}(?:\s*,\s*[\w:]+\s*,\s*(\w+))?)");
    static const std::regex kFailureText(R"(\bCommandFailureMessage\s*\(\s*[^,()]+,\s*(\w+))");
    static const std::regex kCaptionTable(R"(\bCaption\s+\w+\s*\[\s*\]\s*=\s*\{([\s\S]*?)\};)");
    static const std::regex kCaption(R"(\{\s*"\w*"\s*,\s*(\w+)\s*\})");
    static const std::regex kToken(R"(\w+)");
    const std::map<std::string, int> local = NamedNumbers(source);
    std::vector<int> ids;
    const auto add = [&](const std::string& token) {
        if (std::isdigit(static_cast<unsigned char>(token.front()))) return ids.push_back(std::stoi(token));
        for (const auto* named : {&local, &shared}) {
            if (named->count(token)) return ids.push_back(named->at(token));
        }
    };
    const auto each = [](const std::string& text, const std::regex& pattern, const auto& action) {
        for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) action(*it);
    };
    each(source, kTextCall, [&](const std::smatch& m) { add(m[1].str()); });
    each(source, kCaptionTable,
         [&](const std::smatch& m) { each(m[1].str(), kCaption, [&](const std::smatch& c) { add(c[1].str()); }); });
    each(source, kIdList, [&](const std::smatch& m) {
        each(m[1].str(), kToken, [&](const std::smatch& t) { add(t[0].str()); });
        if (m[2].matched) add(m[2].str());
    });
    each(source, kFailureText, [&](const std::smatch& m) { add(m[1].str()); });
    return ids;
}

TEST(StringTable, EveryIdTheSourcesAskForExistsInAllFourLanguages) {
    const std::filesystem::path root = TARNWERK_SOURCE_DIR;
    std::map<std::string, std::string> sources;
    std::map<std::string, int> shared;  // constants declared in a header are used in other files
    for (const char* folder : {"app", "ui", "cli", "core"}) {
        if (!std::filesystem::is_directory(root / folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
            sources[entry.path().string()] = ReadText(entry.path());
            shared.merge(NamedNumbers(sources[entry.path().string()]));
        }
    }
    std::set<int> distinct;
    for (const auto& [file, source] : sources) {
        for (const int id : IdsUsedIn(source, shared)) {
            distinct.insert(id);
            for (const int base : kBases) {
                EXPECT_TRUE(HasEntry(id < 5 ? id : base + id)) << file << " asks for id " << id << " at " << base;
            }
        }
    }
    // Far fewer than a hundred texts means the scan no longer recognises how the callers ask.
    EXPECT_GT(distinct.size(), 100u);
    EXPECT_EQ(IdsUsedIn("constexpr int kTitle = 443;\n"
                        "a = session.Text(301); b = Text(languageBase, 302); c = session_.Text(kTitle);\n"
                        "d = JoinLines(base, {433, 434}); e = Text(session, path); f = Text(id);\n"
                        "constexpr Caption kTable[] = {{\"mnuDatei\", 101}, {\"\", kTitle}};\n"
                        "constexpr std::array kNames{NamedValue{\"en\", 2000}};\n"
                        "g = MakeMessage(session, {kTitle, 426}, MessageIcon::Critical, 428);\n"
                        "h = MakeProductMessage(session, {435}, icon); i = CommandFailureMessage(session, 436, t);\n"),
              (std::vector<int>{301, 302, 443, 101, 443, 433, 434, 443, 426, 428, 435, 436}));
}

// What a person editing resources/strings.txt may write, and the mistakes the parser reports.
TEST(StringTableFormat, EntriesAreBasePlusIdVerbatimAndMistakesReported) {
    // A byte-order mark must not hide the first block; a CR ends only the line.
    StringTable table = ParseStringTable(
        "\xEF\xBB\xBF[Fixed 0]\n# comment\n\n1\tDeutsch\n[English 2000]\n255\t \n"
        "301\t  two blanks in front, one behind \n302\ttab\tinside\r\n303\tno line end");
    EXPECT_TRUE(table.problems.empty());
    EXPECT_EQ(table.entries, (std::map<int, std::string>{{1, "Deutsch"}, {2255, " "},
                                                         {2301, "  two blanks in front, one behind "},
                                                         {2302, "tab\tinside"}, {2303, "no line end"}}));
    table = ParseStringTable("5\tbefore any block\n[German 0]\n101\tfirst\n101\tsecond\n102 no tab\n"
                             "x\tnot a number\n[Broken]\n[Bad base x]\n");
    EXPECT_EQ(table.problems.size(), 6u);
    EXPECT_EQ(table.entries, (std::map<int, std::string>{{101, "first"}}));
}

}  // namespace
}  // namespace tarnwerk
