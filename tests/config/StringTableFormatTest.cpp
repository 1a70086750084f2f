// The table's text format: what a person editing resources/strings.txt may write, and the
// mistakes the parser must report instead of silently dropping or overwriting an entry.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "config/StringTable.h"

namespace tarnwerk {
namespace {

TEST(StringTableFormat, EntriesAreBasePlusIdWithTheTextVerbatim) {
    const StringTable table = ParseStringTable(
        "# comment\n"
        "\n"
        "[Fixed 0]\n"
        "1\tDeutsch\n"
        "[English 2000]\n"
        "255\t \n"
        "301\t  two blanks in front, one behind \n"
        "302\ttab\tinside\r\n");
    EXPECT_TRUE(table.problems.empty());
    ASSERT_EQ(table.entries.size(), 4u);
    EXPECT_EQ(table.entries.at(1), "Deutsch");
    EXPECT_EQ(table.entries.at(2255), " ");
    EXPECT_EQ(table.entries.at(2301), "  two blanks in front, one behind ");
    // A file saved on Windows loses only its CR, not the text's last character.
    EXPECT_EQ(table.entries.at(2302), "tab\tinside");
}

TEST(StringTableFormat, LastLineWithoutLineEndCounts) {
    const StringTable table = ParseStringTable("[German 0]\n101\t&Datei");
    EXPECT_TRUE(table.problems.empty());
    EXPECT_EQ(table.entries.at(101), "&Datei");
}

TEST(StringTableFormat, ByteOrderMarkDoesNotHideTheFirstBlock) {
    const StringTable table = ParseStringTable("\xEF\xBB\xBF[German 0]\n101\t&Datei\n");
    EXPECT_TRUE(table.problems.empty());
    EXPECT_EQ(table.entries.count(101), 1u);
}

TEST(StringTableFormat, MistakesAreReportedAndTheFirstDefinitionKept) {
    const StringTable table = ParseStringTable(
        "5\tbefore any block\n"
        "[German 0]\n"
        "101\tfirst\n"
        "101\tsecond\n"
        "102 no tab\n"
        "x\tnot a number\n"
        "[Broken]\n"
        "[Bad base x]\n");
    EXPECT_EQ(table.problems.size(), 6u);
    EXPECT_EQ(table.entries.at(101), "first");
    EXPECT_EQ(table.entries.count(5), 0u);
    EXPECT_EQ(table.entries.size(), 1u);
}

TEST(StringTableFormat, CompiledInSourceIsTheWholeFile) {
    const std::string_view source = StringTableSource();
    // Byte for byte the file in the tree: an edit must reach the program with the next build.
    std::ifstream file(std::string(TARNWERK_SOURCE_DIR) + "/resources/strings.txt", std::ios::binary);
    std::ostringstream onDisk;
    onDisk << file.rdbuf();
    EXPECT_TRUE(onDisk.str() == source) << "the compiled-in table differs from resources/strings.txt";
    EXPECT_NE(source.find("[French 4000]"), std::string_view::npos);
    // The last block must not be cut off by the literal's delimiter: four blocks end in 921.
    int lastCredits = 0;
    for (size_t at = source.find("\n921\t"); at != std::string_view::npos; at = source.find("\n921\t", at + 1))
        ++lastCredits;
    EXPECT_EQ(lastCredits, 4);
    EXPECT_GT(ParseStringTable(source).entries.size(), 4u * 150u);
}

}  // namespace
}  // namespace tarnwerk
