// The shared helpers are exact to the character: the payload header, the passphrase digest
// and the scratch-file names depend on them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "config/Helpers.h"
#include "support/TempDir.h"

namespace tarnwerk {
namespace {

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<char>(value));
    return bytes;
}

TEST(StripNul, CutsAtTheFirstNulAndDropsTrailingBlanks) {
    EXPECT_EQ(StripNul(std::string("RAW\0\0\0\0\0", 8)), "RAW");
    EXPECT_EQ(StripNul("BM      "), "BM");
    EXPECT_EQ(StripNul(std::string("a b \0 tail", 10)), "a b");
    EXPECT_EQ(StripNul("  lead"), "  lead");
    EXPECT_EQ(StripNul(std::string("\0x", 2)), "");
    EXPECT_EQ(StripNul("   "), "");
    EXPECT_EQ(StripNul(""), "");
}

TEST(FileExists, OnlyReadableRegularFiles) {
    test::TempDir dir;
    const std::string file = dir.File("data.bin");
    std::ofstream(file) << "x";
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(dir.File("empty")) == false);
    std::ofstream(dir.File("empty")).close();
    EXPECT_TRUE(FileExists(dir.File("empty")));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(FileExists(""));
    // A FIFO would block an open for reading until a writer came; it is no data file.
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(FileExists(dir.File("pipe")));
    ASSERT_EQ(symlink(file.c_str(), dir.File("link").c_str()), 0);
    EXPECT_TRUE(FileExists(dir.File("link")));
}

TEST(FileExists, UnreadableFileIsFalse) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    test::TempDir dir;
    const std::string file = dir.File("secret");
    std::ofstream(file) << "x";
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    EXPECT_FALSE(FileExists(file));
}

TEST(HexToBin, PairsBecomeBytes) {
    EXPECT_EQ(HexToBin("41FF"), std::string("A\xFF"));
    EXPECT_EQ(HexToBin("00ff7f80"), std::string("\x00\xFF\x7F\x80", 4));
    // A pair is read as far as its leading digits go; no digit gives 0.
    EXPECT_EQ(HexToBin("4G"), std::string("\x04"));
    EXPECT_EQ(HexToBin("G4"), std::string("\x00", 1));
    EXPECT_EQ(HexToBin(""), "");
    std::string digest32;
    for (int i = 0; i < 16; ++i) digest32 += "A5";
    EXPECT_EQ(HexToBin(digest32), std::string(16, '\xA5'));
}

TEST(GetExtension, PartAfterTheLastDotOfTheFileName) {
    EXPECT_EQ(GetExtension("/a/b.BMP"), "BMP");
    EXPECT_EQ(GetExtension("/x.y/file"), "");
    EXPECT_EQ(GetExtension("file"), "");
    EXPECT_EQ(GetExtension("file.raw"), "raw");
    EXPECT_EQ(GetExtension("/a/archive.tar.gz"), "gz");
    EXPECT_EQ(GetExtension("/a/name."), "");
    EXPECT_EQ(GetExtension("/a/.profile"), "profile");
    EXPECT_EQ(GetExtension("/a.b/"), "");
    EXPECT_EQ(GetExtension(""), "");
}

TEST(GetFileName, PartAfterTheLastSlash) {
    EXPECT_EQ(GetFileName("/a/b.bmp"), "b.bmp");
    EXPECT_EQ(GetFileName("./b.bmp"), "b.bmp");
    EXPECT_EQ(GetFileName("b.bmp"), "");
    EXPECT_EQ(GetFileName("/a/"), "");
    EXPECT_EQ(GetFileName("/"), "");
}

TEST(TrimBlanks, BothEnds) {
    EXPECT_EQ(TrimBlanks("  pass phrase  "), "pass phrase");
    EXPECT_EQ(TrimBlanks("    "), "");
    EXPECT_EQ(TrimBlanks("\tx\t"), "\tx\t");
}

TEST(ReplaceAll, DoublesBackslashesInTwoSteps) {
    const std::string marked = ReplaceAll("C:\\a\\b", "\\", "?");
    EXPECT_EQ(marked, "C:?a?b");
    EXPECT_EQ(ReplaceAll(marked, "?", "\\\\"), "C:\\\\a\\\\b");
}

TEST(ReplaceAll, SearchesFromTheStartEveryTime) {
    // Replacing "ab" by "b" in "aab" creates a new "ab" before the replaced place.
    EXPECT_EQ(ReplaceAll("aab", "ab", "b"), "b");
    EXPECT_EQ(ReplaceAll("xaaaa", "aa", "a"), "xa");
    EXPECT_EQ(ReplaceAll("none here", "zz", "y"), "none here");
    EXPECT_EQ(ReplaceAll("abc", "abc", ""), "");
}

TEST(ReplaceAll, CallsThatWouldNeverEndReturn) {
    EXPECT_EQ(ReplaceAll("text", "", "x"), "text");
    EXPECT_EQ(ReplaceAll("a-a", "a", "aa"), "aa-aa");
    EXPECT_EQ(ReplaceAll("?", "?", "??"), "??");
}

TEST(BitText, SingleBytes) {
    EXPECT_EQ(BitsToByte("1"), 128);
    EXPECT_EQ(BitsToByte("00000001"), 1);
    EXPECT_EQ(BitsToByte("11111111"), 255);
    // Only an exact "1" counts; anything beyond eight positions is ignored.
    EXPECT_EQ(BitsToByte("2x1 0000"), 32);
    EXPECT_EQ(BitsToByte("000000011"), 1);
    EXPECT_EQ(BitsToByte(""), 0);
    EXPECT_EQ(BitsToBytes("01000001"), "A");
    EXPECT_EQ(BytesToBits("A"), "01000001");
    EXPECT_EQ(BytesToBits(""), "");
    EXPECT_EQ(BitsToBytes(""), "");
}

TEST(BitText, EveryByteRoundTrips) {
    const std::string bytes = AllByteValues();
    const std::string bits = BytesToBits(bytes);
    ASSERT_EQ(bits.size(), 256u * 8u);
    EXPECT_EQ(bits.substr(8 * 0x80, 8), "10000000");
    EXPECT_EQ(bits.substr(8 * 0xA5, 8), "10100101");
    EXPECT_EQ(BitsToBytes(bits), bytes);
}

TEST(BitText, ByteArrayIsZeroedWhileConverted) {
    std::vector<uint8_t> bytes = {0x00, 0x81, 0xFF};
    EXPECT_EQ(ByteArrayToBits(bytes), "000000001000000111111111");
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 0}));
    std::vector<uint8_t> none;
    EXPECT_EQ(ByteArrayToBits(none), "");
}

}  // namespace
}  // namespace tarnwerk
