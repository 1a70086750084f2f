// The mail archive: it appears under its name only when complete, keeps what an existing one
// held, and a failure leaves every file as it was with nothing beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <map>
#include <string>
#include <vector>

#include "app/Zip.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using Entries = std::map<std::string, std::string>;

constexpr int kEndedMidway = 42;

// Every entry with its bytes, through libzip's reading side ({"!": ""} when it cannot be read).
Entries EntriesOf(const std::string& path) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr) return {{"!", ""}};
    Entries entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string bytes(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        const zip_int64_t read = file ? zip_fread(file, bytes.data(), bytes.size()) : -1;
        if (file) zip_fclose(file);
        entries[stat.name] = read == static_cast<zip_int64_t>(stat.size) ? bytes : "!unreadable";
    }
    zip_discard(archive);
    return entries;
}

// An archive made by libzip's ordinary file writer, independent of the code under test.
void MakeArchive(const std::string& path, const Entries& entries) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        ASSERT_GE(zip_file_add(archive, name.c_str(), source, 0), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

std::string Text(const test::Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class ZipTest : public ::testing::Test {
protected:
    void SetUp() override {
        carrier = Text(test::MakeBitmap(dir.File("holiday.bmp"), 300, 200, 24, false, 5));
        savedMask = ::umask(022);
    }
    void TearDown() override { ::umask(savedMask); }

    test::TempDir dir;
    std::string carrier;
    mode_t savedMask = 0;
};

TEST_F(ZipTest, NewArchiveHoldsTheFileAndNoOtherNameAppears) {
    const std::string archive = dir.File("holiday.zip");
    std::vector<int> percents;
    ASSERT_TRUE(AddFileToZip(archive, dir.File("holiday.bmp"), "holiday.bmp", [&](int p) { percents.push_back(p); }));
    EXPECT_EQ(EntriesOf(archive), (Entries{{"holiday.bmp", carrier}}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"holiday.bmp", "holiday.zip"}));
    EXPECT_EQ(ModeOf(archive), 0644u);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
}

TEST_F(ZipTest, ExistingArchiveKeepsItsOtherEntriesAndItsMode) {
    const std::string archive = dir.File("holiday.zip");
    MakeArchive(archive, {{"notes.txt", "the user's notes"}, {"holiday.bmp", "an older carrier"}});
    ASSERT_EQ(::chmod(archive.c_str(), 0640), 0);
    ASSERT_TRUE(AddFileToZip(archive, dir.File("holiday.bmp"), "holiday.bmp"));
    EXPECT_EQ(EntriesOf(archive), (Entries{{"holiday.bmp", carrier}, {"notes.txt", "the user's notes"}}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"holiday.bmp", "holiday.zip"}));
    EXPECT_EQ(ModeOf(archive), 0640u);
}

TEST_F(ZipTest, FailureLeavesEveryFileAsItWasAndNothingBesideIt) {
    const struct {
        const char* name;
        const char* file;            // the file to add
        const char* archiveContent;  // nullptr: no archive before
    } cases[] = {
        {"missing file, no archive", "gone.bmp", nullptr},
        {"missing file, existing archive", "gone.bmp", "zip"},
        {"archive that is no zip", "holiday.bmp", "PK but not an archive at all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir folder;
        const std::string archive = folder.File("holiday.zip");
        test::WriteFile(folder.File("holiday.bmp"), test::Bytes(carrier.begin(), carrier.end()));
        if (c.archiveContent && c.archiveContent == std::string("zip")) {
            MakeArchive(archive, {{"notes.txt", "the user's notes"}});
        } else if (c.archiveContent) {
            test::WriteFile(archive,
                            test::Bytes(c.archiveContent, c.archiveContent + std::string(c.archiveContent).size()));
        }
        const std::vector<std::string> before = folder.Entries();
        const std::string oldBytes = c.archiveContent ? Text(test::ReadFile(archive)) : "";
        EXPECT_FALSE(AddFileToZip(archive, folder.File(c.file), "holiday.bmp"));
        EXPECT_EQ(folder.Entries(), before);
        if (c.archiveContent) {
            EXPECT_EQ(Text(test::ReadFile(archive)), oldBytes);
        }
    }
}

// A process killed while the archive is written (here: it ends in the middle of the progress
// reports, without any clean-up) leaves the old archive and no file under another name.
TEST_F(ZipTest, ProcessEndedWhileWritingLeavesNoOtherFile) {
    const std::string archive = dir.File("holiday.zip");
    test::MakeBitmap(dir.File("big.bmp"), 1200, 900, 24, false, 9);  // random, so deflate takes a while
    MakeArchive(archive, {{"notes.txt", "the user's notes"}});
    const std::string oldBytes = Text(test::ReadFile(archive));
    const std::vector<std::string> before = dir.Entries();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        (void)AddFileToZip(archive, dir.File("big.bmp"), "big.bmp", [](int percent) {
            if (percent > 0 && percent < 100) ::_exit(kEndedMidway);
        });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kEndedMidway) << "no progress report in mid-write";
    EXPECT_EQ(dir.Entries(), before);
    EXPECT_EQ(Text(test::ReadFile(archive)), oldBytes);
}

}  // namespace
}  // namespace tarnwerk
