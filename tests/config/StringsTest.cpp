// The shipped string table: every id the program asks for exists in every language, and the
// German and English texts are the ones users know, letter for letter.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "config/StringTable.h"
#include "config/Strings.h"
#include "config/Utf8.h"

namespace tarnwerk {
namespace {

constexpr int kBases[] = {kLanguageBaseGerman, kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench};

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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

// --- Ids asked for by the callers ------------------------------------------------------------

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
