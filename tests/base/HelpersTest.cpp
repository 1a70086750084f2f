// The small text and byte helpers every layer shares: what callers rely on at the edges.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "base/ByteOrder.h"
#include "base/Helpers.h"

namespace tarnwerk {
namespace {

// Extensions in payload headers and file names are trimmed of blanks only: a tab or a line
// break belongs to the text.
TEST(TextHelpers, TrimAndBlankTakeBlanksOnly) {
    EXPECT_EQ(TrimBlanks("  md  "), "md");
    EXPECT_EQ(TrimBlanks("tar gz"), "tar gz");
    EXPECT_EQ(TrimBlanks("\ttxt\n"), "\ttxt\n");
    EXPECT_EQ(TrimBlanks("        "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_FALSE(IsBlank(" \t "));
    EXPECT_FALSE(IsBlank("  a"));
}

TEST(TextHelpers, PathPartsTakeTheLastFolderSeparator) {
    EXPECT_EQ(GetExtension("/home/a.b/notes"), "");
    EXPECT_EQ(GetExtension("/home/a/notes.tar.gz"), "gz");
    EXPECT_EQ(GetExtension("notes."), "");
    EXPECT_EQ(GetFileName("/home/a/notes.md"), "notes.md");
    EXPECT_EQ(GetFileName("notes.md"), "");
    EXPECT_EQ(HexToBin("41ff7a"), "A\xFFz");
    EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", "\n"), "a\nb\n");
}

// Stored fields have a fixed byte order whatever the host's: bitmap headers and the
// compressed size field are little-endian, PNG chunks big-endian.
TEST(ByteOrder, LoadsAndStoresReadTheBytesInTheirStatedOrder) {
    const std::array<uint8_t, 4> bytes = {0x01, 0x02, 0x03, 0xF4};
    EXPECT_EQ(LoadLe32(bytes.data()), 0xF4030201u);
    EXPECT_EQ(LoadBe32(bytes.data()), 0x010203F4u);
    EXPECT_EQ(LoadLe16(bytes.data() + 2), 0xF403u);
    EXPECT_EQ(LoadBe16(bytes.data() + 2), 0x03F4u);
    std::array<uint8_t, 4> stored{};
    StoreLe32(stored.data(), 0x11223344u);
    EXPECT_EQ(stored, (std::array<uint8_t, 4>{0x44, 0x33, 0x22, 0x11}));
    StoreBe32(stored.data(), 0x11223344u);
    EXPECT_EQ(stored, (std::array<uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
}

}  // namespace
}  // namespace tarnwerk
