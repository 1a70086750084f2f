// Windows-1252 is the code page of every stored text; a byte that does not survive the trip
// to UTF-8 and back would change a passphrase digest or a file extension.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/Codepage.h"
#include "config/Utf8.h"

namespace tarnwerk {
namespace {

TEST(Codepage, EveryByteRoundTrips) {
    for (int value = 0; value < 256; ++value) {
        const std::string byte(1, static_cast<char>(value));
        const std::string utf8 = Cp1252ToUtf8(byte);
        ASSERT_TRUE(DecodeUtf8(utf8).has_value()) << "byte " << value;
        EXPECT_EQ(DecodeUtf8(utf8)->size(), 1u) << "byte " << value;
        EXPECT_EQ(Utf8ToCp1252(utf8), std::optional<std::string>(byte)) << "byte " << value;
    }
}

TEST(Codepage, SpecialBlockFollowsWindows1252) {
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "€");
    EXPECT_EQ(Cp1252ToUtf8("\x8A"), "Š");
    EXPECT_EQ(Cp1252ToUtf8("\x93\x94"), "“”");
    EXPECT_EQ(Cp1252ToUtf8("\x99"), "™");
    EXPECT_EQ(Cp1252ToUtf8("\x9F"), "Ÿ");
    // The five unassigned positions become the C1 controls of the same value.
    for (const int unassigned : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const auto codePoints = DecodeUtf8(Cp1252ToUtf8(std::string(1, static_cast<char>(unassigned))));
        ASSERT_TRUE(codePoints.has_value());
        EXPECT_EQ(codePoints->front(), static_cast<char32_t>(unassigned));
    }
    EXPECT_EQ(Cp1252ToUtf8("\xE4\xF6\xFC\xDF\xA0"), "äöüß\u00A0");
}

TEST(Codepage, WesternTextBecomesSingleBytes) {
    EXPECT_EQ(Utf8ToCp1252("€"), std::optional<std::string>("\x80"));
    EXPECT_EQ(Utf8ToCp1252("Grüße, Œuvre"), std::optional<std::string>("Gr\xFC\xDF"
                                                                       "e, \x8Cuvre"));
    EXPECT_EQ(Utf8ToCp1252(""), std::optional<std::string>(""));
    EXPECT_EQ(Utf8ToCp1252(std::string("a\0b", 3)), std::optional<std::string>(std::string("a\0b", 3)));
}

TEST(Codepage, CharactersOutsideTheCodePageAreRefused) {
    EXPECT_EQ(Utf8ToCp1252("ł"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("Zażółć"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("日本"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("\U0001F600"), std::nullopt);
    // U+0080 and U+009F are C1 controls whose bytes stand for "€" and "Ÿ" here.
    EXPECT_EQ(Utf8ToCp1252("\u0080"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("\u009F"), std::nullopt);
}

TEST(Codepage, InvalidUtf8IsTakenByteForByte) {
    const std::string latin1 = "caf\xE9";  // a single-byte text already
    EXPECT_EQ(Utf8ToCp1252(latin1), std::optional<std::string>(latin1));
    const std::string overlong = "\xC0\xAF";
    EXPECT_EQ(Utf8ToCp1252(overlong), std::optional<std::string>(overlong));
    const std::string surrogate = "\xED\xA0\x80";
    EXPECT_EQ(Utf8ToCp1252(surrogate), std::optional<std::string>(surrogate));
    const std::string truncated = "ab\xE2\x82";
    EXPECT_EQ(Utf8ToCp1252(truncated), std::optional<std::string>(truncated));
}

TEST(Utf8, EncodeDecodeAtTheSequenceBoundaries) {
    for (const char32_t codePoint :
         {U'\0', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) {
        std::string utf8;
        AppendUtf8(utf8, codePoint);
        const auto decoded = DecodeUtf8(utf8);
        ASSERT_TRUE(decoded.has_value()) << static_cast<unsigned>(codePoint);
        EXPECT_EQ(*decoded, std::u32string(1, codePoint));
    }
    EXPECT_FALSE(DecodeUtf8("\xF4\x90\x80\x80").has_value());  // above U+10FFFF
    EXPECT_FALSE(DecodeUtf8("\xE0\x80\x80").has_value());      // overlong
    EXPECT_FALSE(DecodeUtf8("\x80").has_value());              // lone continuation
    EXPECT_FALSE(DecodeUtf8("\xFF").has_value());
}

}  // namespace
}  // namespace tarnwerk
