// The settings file: INI reader/writer, the values Main reads and derives, and Save.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/Result.h"
#include "crypto/CipherTable.h"

namespace tarnwerk {

// Value of key in [section]; defaultValue when the file, section or key is missing or empty.
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& defaultValue);
// Writes key=value, keeping every other line; creates file and section when missing.
// Fails when the file could not be written (Io, NotRegularFile) and, with Internal, for an
// empty key or section, a key with "=", or a line break anywhere.
Status WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value);
// The same for several keys of one section, in one rewrite of the file: all or none.
using IniValues = std::vector<std::pair<std::string, std::string>>;
Status WriteIniValues(const std::string& file, const std::string& section, const IniValues& values);

// The hiding methods, by their stored Method value.
enum class HidingMethod : uint8_t { Classic = 0, Stealth = 1 };

// The settings, typed. The file keeps its keys and stored numbers (switches 0/1, the cipher's
// stored index, BitPerByte as the index 0/1/2, Method 0/1); LoadSettings and SaveSettings
// convert at that boundary and nowhere else.
struct SettingsRecord {
    bool Compression = true;
    bool Encryption = true;
    CipherIndex Algorithmus = CipherIndex::RC4;
    int bitsPerByte = 2;  // 1, 2 or 4; stored as BitPerByte 0, 1, 2
    bool ShowEndMessage = true;
    bool ResetOnEnd = true;
    int Language = 0;  // 0 German, 1 English, 2 Dutch, 3 French
    bool SendCompress = true;
    bool SendDelete = true;
    HidingMethod Method = HidingMethod::Classic;
    // A hide writes its result to a new file and leaves the carrier as it was. Off by
    // default, so a hide changes the carrier in place unless the user asks otherwise.
    bool KeepOriginal = false;
};

struct FileFilter {
    std::string description;  // e.g. "Bitmap picture format (*.bmp;*.dib)"
    std::string patterns;     // e.g. "*.bmp;*.dib"
};

// Everything Main reads and derives before the window is shown.
struct StartupSettings {
    std::string iniPath;
    SettingsRecord settings;
    int languageBase = 0;
    int32_t top = 0;   // twips
    int32_t left = 0;  // twips
    std::vector<FileFilter> carrierFilter;
};

inline int BitsPerByteFromIndex(int bitPerByte) { return bitPerByte == 0 ? 1 : bitPerByte == 2 ? 4 : 2; }
inline int IndexFromBitsPerByte(int bitsPerByte) { return bitsPerByte == 1 ? 0 : bitsPerByte == 4 ? 2 : 1; }
int LanguageBaseFromLanguage(int language);

// screenWidth/Height in twips, for the position clamp.
StartupSettings LoadSettings(const std::string& iniPath, int32_t screenWidthTwips, int32_t screenHeightTwips);

// Writes the Settings keys in their order, in one rewrite of the file: all or none.
Status SaveSettings(const std::string& iniPath, const SettingsRecord& settings);

// tarnwerk.ini beside the executable when that folder is writable and not a system program
// folder (/usr/..., /bin, /sbin: an installed program run by root must not write there), else
// $XDG_CONFIG_HOME/tarnwerk/tarnwerk.ini (default ~/.config/tarnwerk/tarnwerk.ini).
std::string DefaultIniPath(const std::string& executableDir);

std::vector<FileFilter> BuildCarrierFilter(int languageBase);

}  // namespace tarnwerk
