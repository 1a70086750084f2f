// The shared text helpers, the Windows-1252 code page of every stored text and the size fields'
// number patterns: a byte that changes here changes a passphrase digest or a file extension.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <locale>
#include <optional>
#include <string>

#include "config/Codepage.h"
#include "config/Helpers.h"
#include "config/NumberFormat.h"
#include "config/Utf8.h"
#include "support/TempDir.h"

namespace tarnwerk {
namespace {

TEST(Helpers, TextsAreCutSplitAndReplacedExactly) {
    EXPECT_EQ(StripNul(std::string("RAW\0\0\0\0\0", 8)), "RAW");
    EXPECT_EQ(StripNul(std::string("a b \0 tail", 10)), "a b");
    EXPECT_EQ(StripNul("  lead  "), "  lead");
    EXPECT_EQ(HexToBin("00ff7F80"), std::string("\x00\xFF\x7F\x80", 4));
    EXPECT_EQ(HexToBin("4GG4"), std::string("\x04\x00", 2));  // a pair is read as far as its digits go
    EXPECT_EQ(GetExtension("/a/archive.tar.gz"), "gz");
    EXPECT_EQ(GetExtension("/x.y/file"), "");
    EXPECT_EQ(GetExtension("/a/name."), "");
    EXPECT_EQ(GetFileName("/a/b.bmp"), "b.bmp");
    EXPECT_EQ(GetFileName("b.bmp"), "");
    EXPECT_EQ(TrimBlanks("  pass phrase  "), "pass phrase");
    EXPECT_EQ(TrimBlanks("\tx\t"), "\tx\t");
    // Every search starts again at the front; calls that would never end return.
    EXPECT_EQ(ReplaceAll("aab", "ab", "b"), "b");
    EXPECT_EQ(ReplaceAll("text", "", "x"), "text");
    EXPECT_EQ(ReplaceAll("a-a", "a", "aa"), "aa-aa");
    EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", "\n"), "a\nb\n");
}

TEST(Helpers, FileExistsOnlyForReadableRegularFiles) {
    test::TempDir dir;
    std::ofstream(dir.File("empty")).close();
    EXPECT_TRUE(FileExists(dir.File("empty")));
    ASSERT_EQ(symlink(dir.File("empty").c_str(), dir.File("link").c_str()), 0);
    EXPECT_TRUE(FileExists(dir.File("link")));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    // A FIFO would block an open for reading until a writer came; it is no data file.
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(FileExists(dir.File("pipe")));
    ASSERT_EQ(chmod(dir.File("empty").c_str(), 0), 0);
    if (geteuid() != 0) {  // root reads every file
        EXPECT_FALSE(FileExists(dir.File("empty")));
    }
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
    // Invalid UTF-8 (a single-byte text already, overlong, surrogate, cut off) is taken byte for byte.
    for (const std::string invalid : {"caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "ab\xE2\x82"})
        EXPECT_EQ(Utf8ToCp1252(invalid), std::optional<std::string>(invalid));
    for (const char32_t codePoint : {U'\0', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uFFFF', U'\U0010FFFF'}) {
        std::string utf8;
        AppendUtf8(utf8, codePoint);
        EXPECT_EQ(DecodeUtf8(utf8), std::u32string(1, codePoint)) << static_cast<unsigned>(codePoint);
    }
    for (const char* bad : {"\xF4\x90\x80\x80", "\xE0\x80\x80", "\x80", "\xFF"}) {
        EXPECT_FALSE(DecodeUtf8(bad).has_value()) << bad;  // past U+10FFFF, overlong, lone continuation
    }
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

}  // namespace
}  // namespace tarnwerk
