// What start-up makes of the settings file: defaults, ranges, fallbacks and the language
// base; and that Save writes every key so the next start reads the same settings.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/LeadingNumber.h"
#include "config/Settings.h"
#include "config/Strings.h"
#include "support/TempDir.h"

namespace tarnwerk {
namespace {

// A 1024 x 768 screen at 15 twips per pixel.
constexpr int32_t kScreenWidth = 15360;
constexpr int32_t kScreenHeight = 11520;
constexpr int32_t kTopLimit = kScreenHeight - 750;
constexpr int32_t kLeftLimit = kScreenWidth - 480;

class SettingsFile : public ::testing::Test {
protected:
    std::string Path() const { return dir_.File("tarnwerk.ini"); }

    StartupSettings Load(const std::string& text) {
        std::ofstream(Path(), std::ios::binary) << text;
        return LoadSettings(Path(), kScreenWidth, kScreenHeight);
    }
    // One key of [Settings] with the given text.
    SettingsRecord With(const std::string& key, const std::string& value) {
        return Load("[Settings]\n" + key + "=" + value + "\n").settings;
    }
    StartupSettings Position(const std::string& top, const std::string& left) {
        return Load("[Global]\nTop=" + top + "\nLeft=" + left + "\n");
    }

    test::TempDir dir_;
};

void ExpectDefaults(const StartupSettings& startup) {
    const SettingsRecord& s = startup.settings;
    EXPECT_EQ(startup.top, 0);
    EXPECT_EQ(startup.left, 0);
    EXPECT_EQ(s.Compression, 1);
    EXPECT_EQ(s.Encryption, 1);
    EXPECT_EQ(s.Algorithmus, 1);
    EXPECT_EQ(s.BitPerByte, 1);
    EXPECT_EQ(startup.bitsPerByte, 2);
    EXPECT_EQ(s.ShowEndMessage, 1);
    EXPECT_EQ(s.ResetOnEnd, 1);
    EXPECT_EQ(s.Language, 0);
    EXPECT_EQ(startup.languageBase, kLanguageBaseGerman);
    EXPECT_EQ(s.SendCompress, 1);
    EXPECT_EQ(s.SendDelete, 1);
}

TEST_F(SettingsFile, NoFileEmptyFileAndEmptyValuesGiveTheDefaults) {
    {
        SCOPED_TRACE("no file");
        const StartupSettings startup = LoadSettings(dir_.File("missing.ini"), kScreenWidth, kScreenHeight);
        EXPECT_EQ(startup.iniPath, dir_.File("missing.ini"));
        ExpectDefaults(startup);
    }
    {
        SCOPED_TRACE("empty file");
        ExpectDefaults(Load(""));
    }
    {
        SCOPED_TRACE("empty values");
        ExpectDefaults(
            Load("[Global]\nTop=\nLeft=\n[Settings]\nCompression=\nEncryption=\nAlgorithmus=\n"
                 "BitPerByte=\nShowEndMessage=\nResetOnEnd=\nLanguage=\nSendCompress=\nSendDelete=\n"));
    }
}

TEST_F(SettingsFile, SwitchesAreOffOnlyForExactlyZero) {
    EXPECT_EQ(With("Compression", "0").Compression, 0);
    EXPECT_EQ(With("Compression", "00").Compression, 1);
    EXPECT_EQ(With("Compression", "false").Compression, 1);
    EXPECT_EQ(With("Compression", "0.0").Compression, 1);
    EXPECT_EQ(With("Compression", "7").Compression, 1);
    EXPECT_EQ(With("Encryption", "0").Encryption, 0);
    EXPECT_EQ(With("ShowEndMessage", "0").ShowEndMessage, 0);
    EXPECT_EQ(With("ShowEndMessage", "-1").ShowEndMessage, 1);
    EXPECT_EQ(With("ResetOnEnd", "0").ResetOnEnd, 0);
    EXPECT_EQ(With("SendCompress", "0").SendCompress, 0);
    EXPECT_EQ(With("SendDelete", "0").SendDelete, 0);
    EXPECT_EQ(With("SendDelete", "00").SendDelete, 1);
}

TEST_F(SettingsFile, CipherIndexRoundsAndFallsBackToZero) {
    EXPECT_EQ(With("Algorithmus", "4.4").Algorithmus, 4);
    EXPECT_EQ(With("Algorithmus", "3").Algorithmus, 3);
    // The range is tested before rounding. Index 5 (XChaCha20-Poly1305) is a valid cipher,
    // so 4.6 rounds to it, while 5.4 lies past the last index.
    EXPECT_EQ(With("Algorithmus", "4.6").Algorithmus, 5);
    EXPECT_EQ(With("Algorithmus", "5.4").Algorithmus, 0);
    EXPECT_EQ(With("Algorithmus", "5").Algorithmus, 5);
    EXPECT_EQ(With("Algorithmus", "5.6").Algorithmus, 0);
    EXPECT_EQ(With("Algorithmus", "6").Algorithmus, 0);
    EXPECT_EQ(With("Algorithmus", "-1").Algorithmus, 0);
    EXPECT_EQ(With("Algorithmus", "2.5").Algorithmus, 2);  // half to even
    EXPECT_EQ(With("Algorithmus", "3.5").Algorithmus, 4);
    EXPECT_EQ(With("Algorithmus", "x").Algorithmus, 0);
    EXPECT_EQ(With("Algorithmus", "3abc").Algorithmus, 3);
    EXPECT_EQ(With("Algorithmus", "0.2e1").Algorithmus, 2);
    EXPECT_EQ(With("Algorithmus", "1e400").Algorithmus, 0);
    EXPECT_EQ(With("Algorithmus", "-0.4").Algorithmus, 0);
}

TEST_F(SettingsFile, BitsPerByteFollowTheRoundedIndex) {
    const auto bits = [this](const std::string& value) { return Load("[Settings]\nBitPerByte=" + value + "\n"); };
    EXPECT_EQ(bits("1.5").settings.BitPerByte, 2);
    EXPECT_EQ(bits("1.5").bitsPerByte, 4);
    EXPECT_EQ(bits("0.5").settings.BitPerByte, 0);
    EXPECT_EQ(bits("0.5").bitsPerByte, 1);
    EXPECT_EQ(bits("2.5").settings.BitPerByte, 1);
    EXPECT_EQ(bits("2.5").bitsPerByte, 2);
    EXPECT_EQ(bits("2").bitsPerByte, 4);
    EXPECT_EQ(bits("0").bitsPerByte, 1);
    EXPECT_EQ(bits("3").settings.BitPerByte, 1);
    EXPECT_EQ(bits("-0.1").settings.BitPerByte, 1);
    EXPECT_EQ(bits("abc").settings.BitPerByte, 0);
    EXPECT_EQ(BitsPerByteFromIndex(0), 1);
    EXPECT_EQ(BitsPerByteFromIndex(1), 2);
    EXPECT_EQ(BitsPerByteFromIndex(2), 4);
}

TEST_F(SettingsFile, LanguageBaseComesFromTheExactText) {
    struct Case {
        const char* text;
        int field;
        int base;
    };
    for (const Case& c :
         {Case{"1", 1, kLanguageBaseEnglish}, Case{"2", 2, kLanguageBaseDutch}, Case{"3", 3, kLanguageBaseFrench},
          Case{"0", 0, kLanguageBaseGerman}, Case{"1.0", 1, kLanguageBaseGerman}, Case{"01", 1, kLanguageBaseGerman},
          Case{"2.4", 2, kLanguageBaseGerman}, Case{"4", 4, kLanguageBaseGerman}, Case{"255", 255, kLanguageBaseGerman},
          Case{"255.6", 0, kLanguageBaseGerman}, Case{"300", 0, kLanguageBaseGerman},
          Case{"-1", 0, kLanguageBaseGerman}}) {
        const StartupSettings startup = Load(std::string("[Settings]\nLanguage=") + c.text + "\n");
        EXPECT_EQ(startup.settings.Language, c.field) << c.text;
        EXPECT_EQ(startup.languageBase, c.base) << c.text;
    }
    EXPECT_EQ(LanguageBaseFromLanguage(0), kLanguageBaseGerman);
    EXPECT_EQ(LanguageBaseFromLanguage(1), kLanguageBaseEnglish);
    EXPECT_EQ(LanguageBaseFromLanguage(2), kLanguageBaseDutch);
    EXPECT_EQ(LanguageBaseFromLanguage(3), kLanguageBaseFrench);
    EXPECT_EQ(LanguageBaseFromLanguage(4), kLanguageBaseGerman);
    EXPECT_EQ(LanguageBaseFromLanguage(255), kLanguageBaseGerman);
}

TEST_F(SettingsFile, WindowPositionStaysOnTheScreen) {
    EXPECT_EQ(Position(std::to_string(kTopLimit), "0").top, kTopLimit);
    EXPECT_EQ(Position(std::to_string(kTopLimit + 1), "0").top, 0);
    EXPECT_EQ(Position("0", std::to_string(kLeftLimit)).left, kLeftLimit);
    EXPECT_EQ(Position("0", std::to_string(kLeftLimit + 1)).left, 0);
    // A window closed while minimised leaves a large negative position behind.
    EXPECT_EQ(Position("-48000", "-48000").top, 0);
    EXPECT_EQ(Position("-48000", "-48000").left, 0);
    const StartupSettings fractional = Position("1200.5", "1201.5");
    EXPECT_EQ(fractional.top, 1200);
    EXPECT_EQ(fractional.left, 1202);
    EXPECT_EQ(Position("1.2e3", " 7px").top, 1200);
    EXPECT_EQ(Position("1.2e3", " 7px").left, 7);
    EXPECT_EQ(Position("4294967296", "99999999999").top, 0);
    EXPECT_EQ(Position("4294967296", "99999999999").left, 0);
    EXPECT_EQ(Position("nan", "inf").top, 0);
    // A screen smaller than the margins leaves no room: only 0 is kept.
    std::ofstream(Path()) << "[Global]\nTop=10\nLeft=10\n";
    const StartupSettings tiny = LoadSettings(Path(), 100, 100);
    EXPECT_EQ(tiny.top, 0);
    EXPECT_EQ(tiny.left, 0);
}

TEST_F(SettingsFile, TinyFractionsAreInRange) {
    // A value below any double is zero, not infinity: BitPerByte 0 (one bit), not the fallback.
    EXPECT_EQ(With("BitPerByte", "0." + std::string(400, '0') + "1").BitPerByte, 0);
}

TEST_F(SettingsFile, FileWrittenOnWindowsReadsTheSame) {
    const StartupSettings startup =
        Load("[Global]\r\nTop=90 \r\n[Settings]\r\nLanguage=1\r\nCompression=0\r\nBitPerByte= 2\r\n");
    EXPECT_EQ(startup.top, 90);
    EXPECT_EQ(startup.languageBase, kLanguageBaseEnglish);
    EXPECT_EQ(startup.settings.Compression, 0);
    EXPECT_EQ(startup.bitsPerByte, 4);
}

TEST_F(SettingsFile, KeysAndSectionsIgnoreCase) {
    const StartupSettings startup = Load("[SETTINGS]\ncompression=0\nLANGUAGE=1\n[global]\ntop=30\n");
    EXPECT_EQ(startup.settings.Compression, 0);
    EXPECT_EQ(startup.languageBase, kLanguageBaseEnglish);
    EXPECT_EQ(startup.top, 30);
}

TEST_F(SettingsFile, CarrierFilterUsesTheStartLanguage) {
    const std::vector<FileFilter> english = Load("[Settings]\nLanguage=1\n").carrierFilter;
    ASSERT_EQ(english.size(), 3u);
    EXPECT_EQ(english[0].description, "Bitmap-picture format (*.bmp;*.dib)");
    EXPECT_EQ(english[0].patterns, "*.bmp;*.dib");
    EXPECT_EQ(english[1].description, "Rawdata-picture format (*.raw)");
    EXPECT_EQ(english[1].patterns, "*.raw");
    EXPECT_EQ(english[2].description, "All supported formats");
    EXPECT_EQ(english[2].patterns, "*.bmp;*.dib;*.raw");
    const std::vector<FileFilter> german = Load("[Settings]\nLanguage=1.0\n").carrierFilter;
    ASSERT_EQ(german.size(), 3u);
    EXPECT_EQ(german[0].description, "Bitmap-Bildformat (*.bmp;*.dib)");
    EXPECT_EQ(german[1].description, "Rohdaten-Bildformat (*.raw)");
    EXPECT_EQ(german[2].description, "Alle unterstützten Formate");
    for (const int base : {kLanguageBaseDutch, kLanguageBaseFrench}) {
        for (const FileFilter& filter : BuildCarrierFilter(base)) EXPECT_FALSE(filter.description.empty());
    }
}

std::vector<std::string> SettingsKeysInOrder(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> keys;
    bool inSettings = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.front() == '[') {
            inSettings = line == "[Settings]";
        } else if (inSettings && line.find('=') != std::string::npos) {
            keys.push_back(line.substr(0, line.find('=')));
        }
    }
    return keys;
}

TEST_F(SettingsFile, SaveWritesTheNineKeysInOrderAndLoadReadsThemBack) {
    std::ofstream(Path()) << "[Global]\nTop=45\n";
    SettingsRecord saved;
    saved.Compression = 0;
    saved.Encryption = 0;
    saved.Algorithmus = 5;
    saved.BitPerByte = 2;
    saved.ShowEndMessage = 0;
    saved.ResetOnEnd = 0;
    saved.Language = 3;
    saved.SendCompress = 0;
    saved.SendDelete = 0;
    ASSERT_EQ(SaveSettings(Path(), saved), 0);
    EXPECT_EQ(SettingsKeysInOrder(Path()),
              (std::vector<std::string>{"Compression", "Encryption", "Algorithmus", "BitPerByte", "ShowEndMessage",
                                        "ResetOnEnd", "Language", "SendCompress", "SendDelete"}));
    const StartupSettings loaded = LoadSettings(Path(), kScreenWidth, kScreenHeight);
    EXPECT_EQ(loaded.top, 45);
    EXPECT_EQ(loaded.settings.Compression, 0);
    EXPECT_EQ(loaded.settings.Encryption, 0);
    EXPECT_EQ(loaded.settings.Algorithmus, 5);
    EXPECT_EQ(loaded.settings.BitPerByte, 2);
    EXPECT_EQ(loaded.bitsPerByte, 4);
    EXPECT_EQ(loaded.settings.ShowEndMessage, 0);
    EXPECT_EQ(loaded.settings.ResetOnEnd, 0);
    EXPECT_EQ(loaded.settings.Language, 3);
    EXPECT_EQ(loaded.languageBase, kLanguageBaseFrench);
    EXPECT_EQ(loaded.settings.SendCompress, 0);
    EXPECT_EQ(loaded.settings.SendDelete, 0);
    // Saving the defaults again replaces the lines instead of adding more.
    ASSERT_EQ(SaveSettings(Path(), SettingsRecord{}), 0);
    EXPECT_EQ(SettingsKeysInOrder(Path()).size(), 9u);
    StartupSettings reloaded = LoadSettings(Path(), kScreenWidth, kScreenHeight);
    EXPECT_EQ(reloaded.top, 45);
    reloaded.top = 0;
    ExpectDefaults(reloaded);
}

TEST_F(SettingsFile, SaveCountsEveryFailedKey) {
    ASSERT_EQ(mkdir(Path().c_str(), 0700), 0);  // a folder where the file should be
    EXPECT_EQ(SaveSettings(Path(), SettingsRecord{}), 9);
}

// Sets or clears an environment variable for one scope.
class EnvScope {
public:
    EnvScope(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvScope() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DefaultIniPath, BesideTheProgramWhenThatFolderIsWritable) {
    test::TempDir dir;
    EXPECT_EQ(DefaultIniPath(dir.path()), dir.path() + "/tarnwerk.ini");
    EXPECT_EQ(DefaultIniPath(dir.path() + "/"), dir.path() + "/tarnwerk.ini");
}

TEST(DefaultIniPath, ElseInTheUserConfigFolder) {
    test::TempDir dir;
    const std::string unwritable = dir.File("no-such-folder");
    {
        const EnvScope xdg("XDG_CONFIG_HOME", dir.File("xdg").c_str());
        const std::string path = DefaultIniPath(unwritable);
        EXPECT_EQ(path, dir.File("xdg") + "/tarnwerk/tarnwerk.ini");
        // The first write creates the folder.
        EXPECT_TRUE(WriteIniValue(path, "Global", "Top", "0"));
        struct stat info {};
        EXPECT_EQ(stat(path.c_str(), &info), 0);
    }
    {
        const EnvScope xdg("XDG_CONFIG_HOME", nullptr);
        const EnvScope home("HOME", dir.File("home").c_str());
        EXPECT_EQ(DefaultIniPath(unwritable), dir.File("home") + "/.config/tarnwerk/tarnwerk.ini");
    }
    {
        const EnvScope xdg("XDG_CONFIG_HOME", "relative/config");
        const EnvScope home("HOME", dir.File("home").c_str());
        EXPECT_EQ(DefaultIniPath(unwritable), dir.File("home") + "/.config/tarnwerk/tarnwerk.ini");
    }
}

TEST(LeadingNumber, ClassicLeadingNumberRule) {
    EXPECT_EQ(LeadingNumberValue("42"), 42.0);
    EXPECT_EQ(LeadingNumberValue("  -12.5e1xyz"), -125.0);
    EXPECT_EQ(LeadingNumberValue("+.5"), 0.5);
    EXPECT_EQ(LeadingNumberValue("5."), 5.0);
    EXPECT_EQ(LeadingNumberValue("1,5"), 1.0);  // the decimal point is always "."
    EXPECT_EQ(LeadingNumberValue("1e"), 1.0);
    EXPECT_EQ(LeadingNumberValue("1e+"), 1.0);
    EXPECT_EQ(LeadingNumberValue("2E-1"), 0.2);
    EXPECT_EQ(LeadingNumberValue("."), 0.0);
    EXPECT_EQ(LeadingNumberValue("-"), 0.0);
    EXPECT_EQ(LeadingNumberValue("e5"), 0.0);
    EXPECT_EQ(LeadingNumberValue("x1"), 0.0);
    EXPECT_EQ(LeadingNumberValue(""), 0.0);
    EXPECT_EQ(LeadingNumberValue("0x10"), 0.0);
    EXPECT_EQ(LeadingNumberValue("1e-400"), 0.0);
    EXPECT_EQ(LeadingNumberValue("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumberValue("-1e400"), -std::numeric_limits<double>::infinity());
}

TEST(LeadingNumber, BeyondTheDoubleRangeTheMagnitudeDecidesNotTheSigns) {
    const std::string zeros(400, '0');
    EXPECT_EQ(LeadingNumberValue("0." + zeros + "1"), 0.0);
    EXPECT_EQ(LeadingNumberValue("-0." + zeros + "1"), 0.0);
    EXPECT_EQ(LeadingNumberValue("1" + zeros + "e-1"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumberValue("1" + zeros), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumberValue("0.01e-99999999999999999999"), 0.0);
    EXPECT_EQ(LeadingNumberValue("1e99999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumberValue("1" + zeros + "e-400"), 1.0);
}

TEST(LeadingNumber, RoundsHalvesToEvenWithinThirtyTwoBits) {
    EXPECT_EQ(RoundHalfEven32(0.5), 0);
    EXPECT_EQ(RoundHalfEven32(1.5), 2);
    EXPECT_EQ(RoundHalfEven32(2.5), 2);
    EXPECT_EQ(RoundHalfEven32(2.5000001), 3);
    EXPECT_EQ(RoundHalfEven32(-0.5), 0);
    EXPECT_EQ(RoundHalfEven32(-1.5), -2);
    EXPECT_EQ(RoundHalfEven32(-2.6), -3);
    EXPECT_EQ(RoundHalfEven32(2147483647.4), 2147483647);
    EXPECT_EQ(RoundHalfEven32(2147483647.5), std::nullopt);
    EXPECT_EQ(RoundHalfEven32(-2147483648.0), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundHalfEven32(-2147483648.6), std::nullopt);
    EXPECT_EQ(RoundHalfEven32(std::nan("")), std::nullopt);
    EXPECT_EQ(RoundHalfEven32(std::numeric_limits<double>::infinity()), std::nullopt);
}

}  // namespace
}  // namespace tarnwerk
