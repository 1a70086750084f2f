#include "config/Settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "base/FileIo.h"
#include "config/IniFile.h"
#include "config/LeadingNumber.h"
#include "config/Strings.h"
#include "crypto/CipherTable.h"

namespace tarnwerk {
namespace {

constexpr const char* kGlobal = "Global";
constexpr const char* kSettings = "Settings";
constexpr const char* kIniName = "tarnwerk.ini";
constexpr unsigned kNewSettingsMode = 0644;  // narrowed by the umask

// The window must keep this much of itself on the screen (twips).
constexpr int32_t kTopMargin = 750;
constexpr int32_t kLeftMargin = 480;

constexpr double kLastBitPerByte = 2;
constexpr double kLastLanguage = 255;

// nullopt when the file cannot be read; for reading it then counts as missing.
std::optional<std::string> ReadText(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

std::string ParentFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p, so the per-user settings folder exists before the first write.
bool MakeFolders(const std::string& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const std::string parent = ParentFolder(folder);
    if (parent != folder && !MakeFolders(parent)) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Numbers by the leading-number rule, halves to even; nullopt outside [low, high].
std::optional<int32_t> NumberInRange(const std::string& text, double low, double high) {
    const double n = LeadingNumberValue(text);
    if (!(n >= low && n <= high)) return std::nullopt;
    return RoundHalfEven32(n);
}

bool SwitchValue(const std::string& text) { return text != "0"; }

// Only a deliberate "1" selects the stealth method: a value a later version may add, or a
// damaged one, falls back on the method every version reads.
HidingMethod MethodValue(const std::string& text) {
    return text == "1" ? HidingMethod::Stealth : HidingMethod::Classic;
}

int32_t Position(const std::string& text, int32_t limit) {
    const std::optional<int32_t> value = RoundHalfEven32(LeadingNumberValue(text));
    if (!value || *value < 0 || *value > limit) return 0;
    return *value;
}

// True when nothing is at the path: a first start. An unreadable file is no first start.
bool IsMissing(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

// The language index of the desktop's message locale (POSIX order: LC_ALL, LC_MESSAGES,
// LANG): German, English, Dutch or French by the language code, English for anything else.
const char* LanguageOfLocale() {
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    const std::string code = locale != nullptr ? std::string(locale).substr(0, 3) : std::string();
    const auto is = [&code](const char* language) {
        return code.rfind(language, 0) == 0 && (code.size() == 2 || !std::isalpha(static_cast<unsigned char>(code[2])));
    };
    if (is("de")) return "0";
    if (is("nl")) return "2";
    if (is("fr")) return "3";
    return "1";
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return ".";
}

}  // namespace

std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& defaultValue) {
    const std::optional<std::string> text = ReadText(file);
    if (!text) return defaultValue;
    const std::optional<std::string> value = IniText(*text).Find(section, key);
    return value && !value->empty() ? *value : defaultValue;
}

Status WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) {
    return WriteIniValues(file, section, {{key, value}});
}

Status WriteIniValues(const std::string& file, const std::string& section, const IniValues& values) {
    // A line break would smuggle further lines into the file.
    const auto hasLineBreak = [](const std::string& part) { return part.find_first_of("\r\n") != std::string::npos; };
    if (section.empty() || hasLineBreak(section)) return MakeError(ErrorCode::Internal);
    for (const auto& [key, value] : values) {
        if (key.empty() || key.find('=') != std::string::npos || hasLineBreak(key) || hasLineBreak(value))
            return MakeError(ErrorCode::Internal);
    }

    struct stat info {};
    std::string text;
    if (stat(file.c_str(), &info) == 0) {
        // A read-only settings file stays unchanged, as the user asked by protecting it.
        if (!S_ISREG(info.st_mode)) return MakeError(ErrorCode::NotRegularFile, file);
        if (access(file.c_str(), R_OK | W_OK) != 0) return MakeError(ErrorCode::Io, file, errno);
        std::optional<std::string> existing = ReadText(file);
        if (!existing) return MakeError(ErrorCode::Io, file, errno);
        text = std::move(*existing);
    } else if (errno != ENOENT) {
        return MakeError(ErrorCode::Io, file, errno);
    } else if (!MakeFolders(ParentFolder(file))) {
        return MakeError(ErrorCode::Io, ParentFolder(file), errno);
    }
    IniText ini(text);
    for (const auto& [key, value] : values) ini.Set(section, key, value);
    const std::string written = ini.Text();
    return ReplaceFileWith(file, {std::span(reinterpret_cast<const uint8_t*>(written.data()), written.size())},
                           kNewSettingsMode);
}

int LanguageBaseFromLanguage(int language) {
    switch (language) {
        case 1:
            return kLanguageBaseEnglish;
        case 2:
            return kLanguageBaseDutch;
        case 3:
            return kLanguageBaseFrench;
        default:
            return kLanguageBaseGerman;
    }
}

StartupSettings LoadSettings(const std::string& iniPath, int32_t screenWidthTwips, int32_t screenHeightTwips) {
    StartupSettings startup;
    startup.iniPath = iniPath;
    // One read of the file serves every key.
    const IniText ini(ReadText(iniPath).value_or(std::string()));
    const auto read = [&ini](const char* section, const char* key, const char* defaultValue) {
        const std::optional<std::string> value = ini.Find(section, key);
        return value && !value->empty() ? *value : std::string(defaultValue);
    };

    startup.top = Position(read(kGlobal, "Top", "0"), screenHeightTwips - kTopMargin);
    startup.left = Position(read(kGlobal, "Left", "0"), screenWidthTwips - kLeftMargin);

    SettingsRecord& s = startup.settings;
    s.Compression = SwitchValue(read(kSettings, "Compression", "1"));
    s.Encryption = SwitchValue(read(kSettings, "Encryption", "1"));
    // Index 5 (XChaCha20-Poly1305) joined the five stored-format ciphers, so 4.6 now rounds to 5.
    const auto lastCipher = static_cast<double>(CipherTable().size() - 1);
    s.Algorithmus =
        static_cast<CipherIndex>(NumberInRange(read(kSettings, "Algorithmus", "1"), 0, lastCipher).value_or(0));
    s.bitsPerByte =
        BitsPerByteFromIndex(NumberInRange(read(kSettings, "BitPerByte", "1"), 0, kLastBitPerByte).value_or(1));
    s.ShowEndMessage = SwitchValue(read(kSettings, "ShowEndMessage", "1"));
    s.ResetOnEnd = SwitchValue(read(kSettings, "ResetOnEnd", "1"));
    // Without a settings file the program speaks the desktop's language; a file without the
    // key keeps its old meaning, German.
    const std::string languageText = read(kSettings, "Language", IsMissing(iniPath) ? LanguageOfLocale() : "0");
    s.Language = NumberInRange(languageText, 0, kLastLanguage).value_or(0);
    s.SendCompress = SwitchValue(read(kSettings, "SendCompress", "1"));
    s.SendDelete = SwitchValue(read(kSettings, "SendDelete", "1"));
    s.Method = MethodValue(read(kSettings, "Method", "0"));
    s.KeepOriginal = SwitchValue(read(kSettings, "KeepOriginal", "0"));

    // The base follows the key's exact text: "1.0" sets the field to 1 but keeps German
    // until the options dialog recomputes the base.
    startup.languageBase = languageText == "1"   ? kLanguageBaseEnglish
                           : languageText == "2" ? kLanguageBaseDutch
                           : languageText == "3" ? kLanguageBaseFrench
                                                 : kLanguageBaseGerman;
    startup.carrierFilter = BuildCarrierFilter(startup.languageBase);
    return startup;
}

Status SaveSettings(const std::string& iniPath, const SettingsRecord& settings) {
    const std::pair<const char*, int> keys[] = {
        {"Compression", settings.Compression},
        {"Encryption", settings.Encryption},
        {"Algorithmus", static_cast<int>(settings.Algorithmus)},
        {"BitPerByte", IndexFromBitsPerByte(settings.bitsPerByte)},
        {"ShowEndMessage", settings.ShowEndMessage},
        {"ResetOnEnd", settings.ResetOnEnd},
        {"Language", settings.Language},
        {"SendCompress", settings.SendCompress},
        {"SendDelete", settings.SendDelete},
        {"Method", static_cast<int>(settings.Method)},
        {"KeepOriginal", settings.KeepOriginal},
    };
    IniValues values;
    for (const auto& [key, value] : keys) values.emplace_back(key, std::to_string(value));
    // One rewrite instead of one per key: a save is one atomic replacement of the file.
    return WriteIniValues(iniPath, kSettings, values);
}

std::string DefaultIniPath(const std::string& executableDir) {
    std::string folder = executableDir.empty() ? "." : executableDir;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const bool systemFolder =
        folder.rfind("/usr/", 0) == 0 || folder == "/usr" || folder == "/bin" || folder == "/sbin";
    if (!systemFolder && access(folder.c_str(), W_OK) == 0) return (folder == "/" ? "" : folder) + "/" + kIniName;

    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // Relative XDG paths are invalid by the base-directory rules and are ignored.
    const std::string base = xdg && xdg[0] == '/' ? std::string(xdg) : HomeFolder() + "/.config";
    return base + "/tarnwerk/" + kIniName;
}

std::vector<FileFilter> BuildCarrierFilter(int languageBase) {
    return {
        {Text(languageBase, TextId::BitmapPictureType) + " (*.bmp;*.dib)", "*.bmp;*.dib"},
        {Text(languageBase, TextId::PngPictureType) + " (*.png)", "*.png"},
        {Text(languageBase, TextId::RawPictureType) + " (*.raw)", "*.raw"},
        {Text(languageBase, TextId::AllPicturesFilter), "*.bmp;*.dib;*.png;*.raw"},
    };
}

}  // namespace tarnwerk
