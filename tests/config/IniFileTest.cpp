// The settings file's reader and writer: a write changes one key and nothing else, and a
// failed write leaves the old file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/Settings.h"
#include "support/TempDir.h"

namespace tarnwerk {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

const char* const kUserFile =
    "; written by hand\n"
    "[Global]\n"
    "Top=120\n"
    "Left=240\n"
    "\n"
    "[Settings]\n"
    "# keep me\n"
    "Compression=1\n"
    "Unknown=kept\n"
    "Language=0\n"
    "\n"
    "[Other]\n"
    "Language=9\n";

TEST(ReadIniValue, MissingOrEmptyGivesTheDefault) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Language", "d"), "d");
    WriteFile(file, "[Settings]\nLanguage=\nEmpty=   \nAlgorithmus=3\n[Global]\nTop=5\n");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Language", "d"), "d");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Empty", "d"), "d");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Missing", "d"), "d");
    EXPECT_EQ(ReadIniValue(file, "Nowhere", "Algorithmus", "d"), "d");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Top", "d"), "d");  // belongs to another section
    EXPECT_EQ(ReadIniValue(file, "Settings", "Algorithmus", "d"), "3");
    EXPECT_EQ(ReadIniValue(dir.path(), "Settings", "Algorithmus", "d"), "d");  // a folder
}

TEST(ReadIniValue, SectionAndKeyIgnoreCaseAndBlanks) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, "[ SETTINGS ]\r\n  compression =  0 1  \r\n;Language=3\r\nlanguage=2\r\n");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Compression", "d"), "0 1");
    EXPECT_EQ(ReadIniValue(file, "settings", "LANGUAGE", "d"), "2");  // not the commented line
}

TEST(ReadIniValue, FirstOfTwoEqualKeysWins) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, "[Settings]\nLanguage=1\nLanguage=2\n[Settings]\nLanguage=3\n");
    EXPECT_EQ(ReadIniValue(file, "Settings", "Language", "d"), "1");
}

TEST(WriteIniValue, ChangesOneLineAndKeepsTheRest) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, kUserFile);
    ASSERT_TRUE(WriteIniValue(file, "settings", "LANGUAGE", "2"));
    std::string expected = kUserFile;
    expected.replace(expected.find("Language=0"), 10, "LANGUAGE=2");
    EXPECT_EQ(ReadFile(file), expected);
    EXPECT_EQ(ReadIniValue(file, "Other", "Language", "d"), "9");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tarnwerk.ini"});  // no temporary file left
}

TEST(WriteIniValue, NewKeyGoesToTheEndOfItsSection) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, kUserFile);
    ASSERT_TRUE(WriteIniValue(file, "Global", "Width", "900"));
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("Left=240\nWidth=900\n\n[Settings]"), std::string::npos) << text;
    EXPECT_EQ(ReadIniValue(file, "Global", "Width", "d"), "900");
}

TEST(WriteIniValue, CreatesMissingFileFolderAndSection) {
    test::TempDir dir;
    const std::string file = dir.File("deep/er/tarnwerk.ini");
    ASSERT_TRUE(WriteIniValue(file, "Global", "Top", "15"));
    ASSERT_TRUE(WriteIniValue(file, "Settings", "Language", "1"));
    EXPECT_EQ(ReadFile(file), "[Global]\nTop=15\n\n[Settings]\nLanguage=1\n");
    EXPECT_EQ(ReadIniValue(file, "Global", "Top", "d"), "15");
}

TEST(WriteIniValue, KeepsTheFileLineEndsAndMissingFinalLineEnd) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, "[Settings]\r\nLanguage=0\r\n[Global]\r\nTop=1");
    ASSERT_TRUE(WriteIniValue(file, "Settings", "Language", "3"));
    EXPECT_EQ(ReadFile(file), "[Settings]\r\nLanguage=3\r\n[Global]\r\nTop=1");
    ASSERT_TRUE(WriteIniValue(file, "Global", "Left", "2"));
    EXPECT_EQ(ReadIniValue(file, "Global", "Top", "d"), "1");
    EXPECT_EQ(ReadIniValue(file, "Global", "Left", "d"), "2");
}

TEST(WriteIniValue, ReplacesTheFileInsteadOfRewritingItInPlace) {
    // Rewriting in place would leave a truncated file behind if the program died midway; a
    // new file renamed over the old one leaves either the old or the new text.
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, kUserFile);
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    std::ifstream oldHandle(file, std::ios::binary);
    ASSERT_TRUE(WriteIniValue(file, "Settings", "Language", "3"));
    std::ostringstream seenThroughOldHandle;
    seenThroughOldHandle << oldHandle.rdbuf();
    EXPECT_EQ(seenThroughOldHandle.str(), kUserFile);
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadIniValue(file, "Settings", "Language", "d"), "3");
}

TEST(WriteIniValue, RefusesTextThatWouldAddLines) {
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, kUserFile);
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Language", "1\n[Global]\nTop=99"));
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Lang\r", "1"));
    EXPECT_FALSE(WriteIniValue(file, "Sett]\ning", "Language", "1"));
    EXPECT_FALSE(WriteIniValue(file, "Settings", "", "1"));
    EXPECT_EQ(ReadFile(file), kUserFile);
}

TEST(WriteIniValue, FailureReturnsFalseAndKeepsTheOldFile) {
    test::TempDir dir;
    // A folder in place of the file, and a file in place of the folder: fail for root too.
    ASSERT_EQ(mkdir(dir.File("folder.ini").c_str(), 0700), 0);
    EXPECT_FALSE(WriteIniValue(dir.File("folder.ini"), "Settings", "Language", "1"));
    WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(WriteIniValue(dir.File("plain/tarnwerk.ini"), "Settings", "Language", "1"));
    EXPECT_EQ(ReadFile(dir.File("plain")), "x");
}

TEST(WriteIniValue, ReadOnlyFileOrFolderIsNotChanged) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    test::TempDir dir;
    const std::string file = dir.File("tarnwerk.ini");
    WriteFile(file, kUserFile);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Language", "1"));
    EXPECT_EQ(ReadFile(file), kUserFile);
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
    EXPECT_FALSE(WriteIniValue(file, "Settings", "Language", "1"));
    EXPECT_EQ(ReadFile(file), kUserFile);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tarnwerk.ini"});
}

TEST(WriteIniValue, KeepsPermissionsAndSymbolicLinks) {
    test::TempDir dir;
    const std::string real = dir.File("real.ini");
    WriteFile(real, "[Settings]\nLanguage=0\n");
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(symlink(real.c_str(), dir.File("link.ini").c_str()), 0);
    ASSERT_TRUE(WriteIniValue(dir.File("link.ini"), "Settings", "Language", "2"));
    struct stat info {};
    ASSERT_EQ(lstat(dir.File("link.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFile(real), "[Settings]\nLanguage=2\n");
}

TEST(IniText, UntouchedTextIsReproducedExactly) {
    for (const std::string& text :
         {std::string(kUserFile), std::string("a\r\nb"), std::string(""), std::string("\n\n[x]\n")}) {
        EXPECT_EQ(IniText(text).Text(), text);
    }
}

}  // namespace
}  // namespace tarnwerk
