// The shipped string table: every id the program asks for exists in every language, and the
// German and English texts are the ones users and the documentation know, letter for letter.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/Strings.h"
#include "config/Utf8.h"

namespace tarnwerk {
namespace {

constexpr int kLanguageBases[] = {kLanguageBaseGerman, kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench};
constexpr int kFirstBlockId = 5;  // ids 1 to 4 are the fixed language names
constexpr int kBlockSize = 1000;  // every language block stays below its base + 1000
constexpr int kFirstCreditId = 900;
constexpr int kLastCreditId = 921;

struct KnownText {
    int id;
    const char* english;
    const char* german;
};

// The texts exactly as they appear to users, including their spelling mistakes.
const KnownText kKnownTexts[] = {
    {22, "Version", "Version"},
    {101, "&File", "&Datei"},
    {102, "&Open &carrier file...", "&Trägerdatei öffnen..."},
    {103, "&Show carrier file...", "Trägerdatei an&zeigen..."},
    {104, "&Calculate needed carrier size", "&Größe der benötigten Trägerdatei errechnen"},
    {105, "Open &data file...", "&Datendatei öffnen..."},
    {106, "&Hide data", "Daten &verbergen"},
    {107, "&Extract data", "Daten &extrahieren"},
    {108, "Export &all data", "&Alle Daten exportieren"},
    {109, "&Reset", "&Zurücksetzen"},
    {110, "E&xit", "&Beenden"},
    {111, "&Extras", "&Extras"},
    {112, "&Settings...", "&Optionen..."},
    {113, "&Help", "&Hilfe"},
    {114, "&About...", "&Info..."},
    {115, "Hide data and send with e-&mail", "Daten verbergen und mit E-&Mail versenden"},
    {116, "Se&nd carrier file with e-mail", "T&rägerdatei mit E-Mail versenden"},
    {117, "&Help...", "&Hilfe..."},
    {201, "Carrier file", "Trägerdatei"},
    {202, "Filename:", "Dateiname:"},
    {203, "Type of file:", "Dateityp:"},
    {204, "Size of file:", "Dateigröße:"},
    {205, "Free for data:", "Frei für Daten:"},
    {206, "Data file", "Datendatei"},
    {207, "Filename:", "Dateiname:"},
    {208, "Original size:", "Originalgröße:"},
    {209, "Size of file:", "Dateigröße:"},
    {210, "Status of Process:", "Verarbeitungsstatus:"},
    {211, "Settings...", "Optionen..."},
    {212, "Reset", "Zurücksetzen"},
    {213, "Extract", "Extrahieren"},
    {214, "Hide", "Verbergen"},
    {215, "Exit", "Beenden"},
    {220, "Enter Passphrase:", "Passphrase:"},
    {221, "Reenter Passphrase:", "Bestätigung:"},
    {222, "Acceptable quality...", "Akzeptable Qualität..."},
    {223, "Quality:", "Qualität:"},
    {224, "Ok", "Ok"},
    {225, "Cancel", "Abbrechen"},
    {226, "Set passphrase", "Passphrase festlegen"},
    {230, "Passphrase", "Passphrase"},
    {231, "Passphrase:", "Passphrase:"},
    {240, "Settings", "Optionen"},
    {241, "Hiding && Extracting", "Verbergen && Extrahieren"},
    {242, "Hiding", "Verbergen"},
    {243, "Hiding data in:", "Verbergen der Daten in:"},
    {244, "Alert on end of action", "Benachrichtigung beim Beenden der Aktion"},
    {245, "Reset on end of action", "Nach Beenden der Aktion Daten zurücksetzen"},
    {246, "Compress data", "Daten komprimieren"},
    {247, "Encrypt data with:", "Daten verschlüsseln mit:"},
    {248, "Language:", "Sprache:"},
    {249, "Save", "Übernehmen"},
    {250, "About", "Info über"},
    {251, "Additional infos", "Weitere Infos"},
    {252, "WARNING:", "ACHTUNG:"},
    {256, "Send with E-Mail", "Mit E-Mail versenden"},
    {257, "Compress before sending", "Vor dem Senden komprimieren"},
    {258, "Delete zip-file after sending", "Zip-Datei nach dem Senden löschen"},
    {301, "Ready", "Bereit"},
    {302, "Compr.", "Kompr."},
    {303, "Crypto.", "Krypto."},
    {304, "bit/byte", "Bit/Byte"},
    {305, "byte", "Byte"},
    {306, "Rawdata-picture format", "Rohdaten-Bildformat"},
    {307, "bit", "Bit"},
    {308, "Bitmap-picture format", "Bitmap-Bildformat"},
    {309, "pixel", "Pixel"},
    {311, "Hiding data...", "Verberge Daten..."},
    {312, "Exporting data...", "Exportiere Daten..."},
    {313, "extracting data...", "Extrahiere Daten..."},
    {314, "All supported formats", "Alle unterstützten Formate"},
    {315, "bit colors", "Bit Farben"},
    {316, "Error", "Fehler"},
    {317, "The Error with the No.", "Es ist der Fehler Nr."},
    {318, "has occorred.", "aufgetreten."},
    {319, "Some settings can't correctly saved!", "Einige Einstellungen konnten nicht gespeichert werden!"},
    {401, "The selected file does not exist,", "Die ausgewählte Datei wurde nicht gefunden,"},
    {402, "or the file is read-only.", "oder die Datei ist nicht zum Beschreiben geeignet."},
    {403, "Select carrier file", "Trägerdatei auswählen"},
    {404, "Select data file", "Datendatei auswählen"},
    {405, "Original-extension", "Original-Dateiendung"},
    {406, "All files", "Alle Dateien"},
    {407, "Incorrect file", "Ungültige Datei"},
    {408, "The selected file is not valid, or", "Die ausgewählte Datei ist entweder ungültig, oder"},
    {409, "the fileformat is not supported by Tarnwerk.", "das Dateiformat wird von Tarnwerk nicht unterstützt."},
    {410, "The selected bitmap-file is compressed.", "Die ausgewählte Bitmap-Datei ist komprimiert."},
    {411, "Only uncompressed bitmap-files", "Es können nur unkomprimierte Bitmap-Dateien"},
    {412, "can used as carrier file.", "als Trägerdateien verwendet werden."},
    {413, "The selected bitmap-file has a color-depth of", "Die ausgewählte Bitmap-Datei hat eine Farbtiefe von"},
    {414, "Only bitmap-files with 8 and 24 bits can be used.",
     "Es können nur Bitmap-Dateien mit 8 und 24 Bit verwendet werden."},
    {415, "Compression failed!", "Komprimierung fehlgeschlagen!"},
    {416, "Encryption failed!", "Verschlüsselung fehlgeschlagen!"},
    {417, "Needed carrier file", "Benötigte Tägerdatei"},
    {418, "In the carrier file must at least", "In der Trägerdatei müssen mindestens"},
    {419, "byte free for data.", "Byte für die Daten frei sein."},
    {420, "The size of an possible header is not included.",
     "Die Größe eines eventuellen Headers der Trägerdatei ist nicht eingeschlossen."},
    {421, "An error is occurred while hiding the data.", "Beim Verbergen der Daten ist ein Feher aufgeterten."},
    {422, "Your standard viewer for", "Ihr Standard-Anzeigeprogramm für"},
    {423, "-files can not opened!", "-Dateien konnte nicht geöffnet werden!"},
    {424, "No standard viewer found", "Keinen Standard-Anzeigeprogramm gefunden"},
    {425, "The data was successfully exported from the carrier file.",
     "Die Daten wurden erfolgreich aus der Trägerdatei exportiert."},
    {426, "The entered passphrase is incorrect.", "Die eingegebene Passphrase ist nicht korrekt."},
    {427, "The process was terminated.", "Der Vorgang wurde abgebrochen."},
    {428, "Incorrect passphrase", "Falsche Passphrase"},
    {429, "Please enter the correct passphrase.", "Bitte geben Sie die richtige Passphrase ein."},
    {430, "The data was successfully extracted from the carrier file.",
     "Die Daten wurden erfolgreich aus der Trägerdatei extrahiert."},
    {431, "An error is occurred while extracting the data.", "Beim Extrahieren der Daten ist ein Feher aufgeterten."},
    {432, "Data file to large", "Datendatei zu groß"},
    {433, "The data file is to large for the carrier file.", "Die Datendatei ist zu groß für die Trägerdatei."},
    {434, "Select a larger carrier file.", "Wählen Sie eine größere Trägerdatei aus."},
    {435, "The data was successfully hiding in the carrier file.",
     "Die Daten wurden erfolgreich in der Trägerdatei verborgen."},
    {436, "An error is occurred while hiding data.", "Beim Verbergen der Daten ist ein Fehler aufgeterten."},
    {437, "This file doesn't exist,", "Diese Datei wurde nicht gefunden,"},
    {438, "or the file ist read-only.", "oder die Datei ist nicht zum Beschreiben geeignet."},
    {439, "Please select as carrier file.", "Bitte wählen Sie eine Trägerdatei aus."},
    {440, "Please select a data file.", "Bitte wählen Sie eine Datendatei aus."},
    {441, "The selected file already exist.", "Die ausgewählte Datei existiert bereits."},
    {442, "Want you overwrite the file?", "Soll diese Datei überschrieben werden?"},
    {443, "Overwrite file", "Datei überschreiben"},
    {444, "NO DATA FOUND!", "KEINE DATEN GEFUNDEN!"},
    {445, "The entered passphrase is to short.", "Die eingegebene Passphrase ist zu kurz."},
    {446, "Please enter a Passphrase with at least 3 characters length.", "Bitte geben Sie mindestens 3 Zeichen ein."},
    {447, "Incorrect Passphrase", "Ungültige Passphrase"},
    {448, "Your standard browser can not opened!", "Ihr Standard-Internetbrowser konnte nicht geöffnet werden!"},
    {449, "No standard browser found", "Keinen Standard-Browser gefunden"},
    {450, "The entered passphrases are different.", "Die eingegebenen Passphrasen sind unterschiedlich."},
    {451, "Please enter the same passphrase again.", "Bitte geben Sie zweimal die gleiche Passphrase ein."},
    {452, "An error was occurred while compressing the carrier file.",
     "Beim Komprimieren der Trägerdatei ist ein Fehler aufgeterten."},
    {453, "Compression error", "Fehler beim Komprimieren"},
    {454, "An error was occurred while sending the carrier file.",
     "Beim Versenden der Trägerdatei ist ein Fehler aufgetreten."},
    {455, "Sending error", "Fehler beim Versenden"},
    {456, "The arcive file is already exist.", "Die Archivdatei ist bereits vorhanden."},
    {457, "The help file 'Tarnwerk.chm' can not opened.",
     "Die Hilfedatei 'Tarnwerk.chm' konnte nicht geöffnet werden."},
    {458, "Pleas ensure, that the help file is located", "Bitte stellen Sie sicher, dass sich die Hilfedatei"},
    {459, "in the program directory of Tarnwerk.", "im Programmverzeichnis von Tarnwerk befindet."},
    {460, "Help file not found", "Hilfedatei nicht gefunden"},
    {259, "XChaCha20-Poly1305 is recommended: a slow, salted key derivation and detection of damaged or altered data.",
     nullptr},
    {461, "Decompression failed!", nullptr},
    {462, "Decryption failed!", nullptr},
    {463, "The output file holds the data as far as it could be processed.", nullptr},
    {464, "The carrier file is being written by another process.", nullptr},
    {465, "Please try again when it has finished.", nullptr},
    {466, "The passphrase contains characters that cannot be stored.", nullptr},
    {467, "Please use only characters of Western European languages.", nullptr},
    {468, "The extension of the data file contains characters that cannot be stored.", nullptr},
    {23, "Freeware", nullptr},
    // The credit lines that name components rather than persons.
    {900, "InfoZip ZLib compression library", nullptr},
    {903, "MD5 (Message Digest 5) hash algorithm", nullptr},
    {904, "  Implementation based on a code by", nullptr},
    {906, "Blowfish cryptographic algorith", nullptr},
    {909, "RC4 cryptographic algorithm", nullptr},
    {910, "  RC4 is a Trademark of RSA Labs", nullptr},
    {912, "Skipjack cryptographic algorithm", nullptr},
    {913, "  Skipjack is a trademark of NSA (National Security Agency)", nullptr},
    {915, "TEA (Tiny Encryption Algorithm) cryptographic algorithmus", nullptr},
    {917, "Twofish cryptographic algorithmus", nullptr},
    {920, "InfoZip Zip-compression library", nullptr},
};

// Ids whose texts are ours to word: the home-page invitation, "Freeware", the legal warning
// and the credit lines.
std::set<int> AllKnownIds() {
    std::set<int> ids = {13, 23, 253, 254, 255};
    for (const KnownText& known : kKnownTexts) ids.insert(known.id);
    for (int id = kFirstCreditId; id <= kLastCreditId; ++id) ids.insert(id);
    return ids;
}

// The ids of one block, relative to its base.
std::set<int> BlockIds(int base) {
    std::set<int> ids;
    for (const int entry : AllEntries()) {
        if (entry >= base + kFirstBlockId && entry < base + kBlockSize) ids.insert(entry - base);
    }
    return ids;
}

TEST(StringTable, ParsesWithoutProblems) {
    for (const std::string& problem : StringTableProblems()) ADD_FAILURE() << problem;
}

TEST(StringTable, EveryKnownIdExistsInAllFourLanguages) {
    for (const int id : AllKnownIds()) {
        for (const int base : kLanguageBases) {
            EXPECT_TRUE(HasEntry(base + id)) << "id " << id << " missing at base " << base;
            EXPECT_FALSE(Text(base, id).empty()) << "id " << id << " empty at base " << base;
        }
    }
}

TEST(StringTable, LanguageBlocksHoldTheSameIds) {
    const std::set<int> german = BlockIds(kLanguageBaseGerman);
    ASSERT_FALSE(german.empty());
    for (const int base : {kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench}) {
        EXPECT_EQ(BlockIds(base), german) << "block at base " << base;
    }
    for (const int entry : AllEntries()) {
        bool placed = entry >= 1 && entry < kFirstBlockId;
        for (const int base : kLanguageBases) {
            placed = placed || (entry >= base + kFirstBlockId && entry < base + kBlockSize) ||
                     (base != kLanguageBaseGerman && entry == base + 1);
        }
        EXPECT_TRUE(placed) << "entry " << entry << " lies outside every language block";
    }
}

TEST(StringTable, GermanAndEnglishTextsAreExact) {
    for (const KnownText& known : kKnownTexts) {
        EXPECT_EQ(Text(kLanguageBaseEnglish, known.id), known.english) << "English id " << known.id;
        if (known.german != nullptr) {
            EXPECT_EQ(Text(kLanguageBaseGerman, known.id), known.german) << "German id " << known.id;
        }
    }
}

TEST(StringTable, FixedIdsIgnoreTheLanguageBase) {
    for (const int base : kLanguageBases) {
        EXPECT_EQ(Text(base, 1), "Deutsch");
        EXPECT_EQ(Text(base, 2), "English");
        EXPECT_EQ(Text(base, 3), "Netherlands");
        EXPECT_EQ(Text(base, 4), "Français");
    }
    for (const int base : {kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench}) {
        EXPECT_TRUE(HasEntry(base + 1));
        EXPECT_EQ(Text(0, base + 1), "Tarnwerk") << "product name at " << base + 1;
    }
}

TEST(StringTable, BlanksAtTheEndsOfTextsSurvive) {
    // The about box joins 253, 254 and 255 with blanks; English 255 is one blank on purpose.
    EXPECT_EQ(Text(kLanguageBaseEnglish, 255), " ");
    for (const int base : kLanguageBases) {
        for (int id = kFirstCreditId; id <= kLastCreditId; ++id) {
            const bool groupStart =
                id == 900 || id == 903 || id == 906 || id == 909 || id == 912 || id == 915 || id == 917 || id == 920;
            const std::string line = Text(base, id);
            if (groupStart) {
                EXPECT_NE(line.front(), ' ') << "credit " << id << " at base " << base;
            } else {
                EXPECT_EQ(line.rfind("  ", 0), 0u) << "credit " << id << " at base " << base << ": \"" << line << "\"";
            }
        }
    }
}

TEST(StringTable, TextsAreCleanUtf8Lines) {
    for (const int entry : AllEntries()) {
        const std::string text = Text(0, entry);
        EXPECT_TRUE(DecodeUtf8(text).has_value()) << "entry " << entry;
        EXPECT_EQ(text.find_first_of("\r\n\t"), std::string::npos) << "entry " << entry;
        EXPECT_FALSE(text.empty()) << "entry " << entry;
    }
}

TEST(StringTable, JoinLinesUsesCrLfBetweenTextsOnly) {
    EXPECT_EQ(JoinLines(kLanguageBaseEnglish, {433, 434}),
              "The data file is to large for the carrier file.\r\nSelect a larger carrier file.");
    EXPECT_EQ(JoinLines(kLanguageBaseGerman, {432}), "Datendatei zu groß");
    EXPECT_EQ(JoinLines(kLanguageBaseEnglish, {}), "");
    EXPECT_EQ(JoinLines(kLanguageBaseDutch, {2, 4}), "English\r\nFrançais");
}

// Letters marked with a single "&" ("&&" shows an ampersand).
std::string Accelerators(const std::string& caption) {
    std::string letters;
    for (size_t at = 0; at + 1 < caption.size(); ++at) {
        if (caption[at] != '&') continue;
        if (caption[at + 1] != '&')
            letters.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(caption[at + 1]))));
        ++at;
    }
    return letters;
}

TEST(StringTable, TranslatedMenusKeepOneDistinctAcceleratorPerEntry) {
    const std::vector<int> fileMenu = {102, 103, 104, 105, 106, 107, 108, 109, 110, 115, 116};
    const std::vector<int> menuBar = {101, 111, 113};
    for (const int base : {kLanguageBaseDutch, kLanguageBaseFrench}) {
        for (const std::vector<int>& menu : {fileMenu, menuBar}) {
            std::set<std::string> used;
            for (const int id : menu) {
                const std::string letters = Accelerators(Text(base, id));
                EXPECT_EQ(letters.size(), 1u) << "id " << id << " at base " << base << ": " << Text(base, id);
                EXPECT_TRUE(used.insert(letters).second) << "accelerator of id " << id << " repeats at base " << base;
            }
        }
        for (const int id : {112, 114, 117}) EXPECT_EQ(Accelerators(Text(base, id)).size(), 1u) << "id " << id;
    }
}

TEST(StringTable, AmpersandsShownAsTextStayDoubled) {
    for (const int base : kLanguageBases) {
        const std::string caption = Text(base, 241);
        EXPECT_NE(caption.find("&&"), std::string::npos) << "base " << base << ": " << caption;
        EXPECT_EQ(Accelerators(caption), "") << "base " << base << ": " << caption;
    }
}

// --- Ids asked for by the callers ------------------------------------------------------------

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Named constants of one source file: "kName = 123".
std::map<std::string, int> NamedNumbers(const std::string& source) {
    static const std::regex kConstant(R"(\b(k\w+)\s*=\s*(\d+)\s*;)");
    std::map<std::string, int> numbers;
    for (std::sregex_iterator it(source.begin(), source.end(), kConstant), end; it != end; ++it) {
        numbers[(*it)[1].str()] = std::stoi((*it)[2].str());
    }
    return numbers;
}

// A number, or a named constant of the file itself or else of any scanned file; -1 for
// anything else (a variable).
int IdValue(const std::string& token, const std::map<std::string, int>& local,
            const std::map<std::string, int>& shared) {
    if (!token.empty() && std::isdigit(static_cast<unsigned char>(token.front()))) return std::stoi(token);
    for (const auto* named : {&local, &shared}) {
        const auto found = named->find(token);
        if (found != named->end()) return found->second;
    }
    return -1;
}

struct IdUse {
    std::string file;
    int id;
};

// Text(id), Text(base, id), session.Text(id); id lists of JoinLines and of the message
// builders (MakeMessage(session, {a, b}, icon, title)); a command's failure text; and the
// entries {"control", id} of Caption tables.
std::vector<IdUse> IdsUsedIn(const std::filesystem::path& file, const std::map<std::string, int>& shared = {}) {
    static const std::regex kTextCall(R"(\bText\s*\(\s*(?:[\w.>\-]+\s*,\s*)?(\w+)\s*\))");
    static const std::regex kIdList(
        R"(\b(?:JoinLines|\w*Message)\s*\(\s*[^,{}()]+,\s*\{([^}]*)\}(?:\s*,\s*[\w:]+\s*,\s*(\w+))?)");
    static const std::regex kFailureText(R"(\bCommandFailureMessage\s*\(\s*[^,()]+,\s*(\w+))");
    static const std::regex kCaptionTable(R"(\bCaption\s+\w+\s*\[\s*\]\s*=\s*\{([\s\S]*?)\};)");
    static const std::regex kCaption(R"(\{\s*"\w*"\s*,\s*(\w+)\s*\})");
    static const std::regex kToken(R"(\w+)");
    const std::string source = ReadFile(file);
    const std::map<std::string, int> local = NamedNumbers(source);
    std::vector<IdUse> uses;
    const auto add = [&](const std::string& token) {
        const int id = IdValue(token, local, shared);
        if (id > 0) uses.push_back({file.string(), id});
    };
    const auto each = [&source](const std::regex& pattern, const auto& action) {
        for (std::sregex_iterator it(source.begin(), source.end(), pattern), end; it != end; ++it) action(*it);
    };
    const auto addAll = [&](const std::string& list, const std::regex& item, int group) {
        for (std::sregex_iterator it(list.begin(), list.end(), item), end; it != end; ++it) add((*it)[group].str());
    };
    each(kTextCall, [&](const std::smatch& m) { add(m[1].str()); });
    each(kCaptionTable, [&](const std::smatch& m) { addAll(m[1].str(), kCaption, 1); });
    each(kIdList, [&](const std::smatch& m) {
        addAll(m[1].str(), kToken, 0);
        if (m[2].matched) add(m[2].str());
    });
    each(kFailureText, [&](const std::smatch& m) { add(m[1].str()); });
    return uses;
}

std::vector<std::filesystem::path> CallerSources() {
    const std::filesystem::path root = TARNWERK_SOURCE_DIR;
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"app", "ui", "cli", "core"}) {
        if (!std::filesystem::is_directory(root / folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h")) files.push_back(entry.path());
        }
    }
    return files;
}

TEST(StringTable, EveryIdTheSourcesAskForExistsInAllFourLanguages) {
    const std::vector<std::filesystem::path> files = CallerSources();
    // Constants declared in a header are used in other files.
    std::map<std::string, int> shared;
    for (const auto& file : files) shared.merge(NamedNumbers(ReadFile(file)));
    std::vector<IdUse> uses;
    for (const auto& file : files) {
        const std::vector<IdUse> found = IdsUsedIn(file, shared);
        uses.insert(uses.end(), found.begin(), found.end());
    }
    // The program asks for well over a hundred different texts; far fewer means the scan
    // no longer recognises how the callers ask.
    std::set<int> distinct;
    for (const IdUse& use : uses) distinct.insert(use.id);
    EXPECT_GT(distinct.size(), 100u);
    for (const IdUse& use : uses) {
        for (const int base : kLanguageBases) {
            const int entry = use.id >= 1 && use.id < kFirstBlockId ? use.id : base + use.id;
            EXPECT_TRUE(HasEntry(entry)) << use.file << " asks for id " << use.id << ", missing at base " << base;
        }
    }
}

TEST(StringTable, ScanFindsEveryFormOfCall) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "tarnwerk-scan-sample.cpp";
    {
        std::ofstream out(file);
        out << "constexpr int kTitle = 443;\n"
               "a = session.Text(301); b = Text(languageBase, 302); c = session_.Text(kTitle);\n"
               "d = JoinLines(base, {433, 434}); e = Text(session, path); f = Text(id);\n"
               "constexpr Caption kTable[] = {{\"mnuDatei\", 101}, {\"\", kTitle}};\n"
               "constexpr std::array kNames{NamedValue{\"en\", 2000}};\n"
               "g = MakeMessage(session, {kTitle, 426}, MessageIcon::Critical, 428);\n"
               "h = MakeProductMessage(session, {435}, icon); i = CommandFailureMessage(session, 436, text);\n";
    }
    std::vector<int> ids;
    for (const IdUse& use : IdsUsedIn(file)) ids.push_back(use.id);
    std::filesystem::remove(file);
    EXPECT_EQ(ids, (std::vector<int>{301, 302, 443, 101, 443, 433, 434, 443, 426, 428, 435, 436}));
}

}  // namespace
}  // namespace tarnwerk
