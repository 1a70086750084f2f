// Sending the carrier: archive beside it, hand-off to the mail program, reset and clean-up.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "app/AppFakes.h"
#include "app/Commands.h"
#include "app/Mail.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// Entry name -> size, from the archive's central directory.
std::map<std::string, zip_uint64_t> ZipEntries(const std::string& archive) {
    std::map<std::string, zip_uint64_t> entries;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    if (zip == nullptr) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t stat;
        if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) == 0) entries[stat.name] = stat.size;
    }
    zip_discard(zip);
    return entries;
}

class MailTest : public ::testing::Test {
protected:
    MailTest() : session(EnglishSession(dir.File("tarnwerk.ini"))), commands(session, ui, desktop) {
        carrier = dir.File("holiday.bmp");
        archive = dir.File("holiday.zip");
        MakeBitmap(carrier, 64, 48, 24, false, 3);
        commands.LoadCarrier(carrier);
    }

    TempDir dir;
    Session session;
    FakeUi ui;
    FakeDesktop desktop;
    Commands commands;
    std::string carrier;
    std::string archive;
};

TEST(ArchiveName, ReplacesOnlyTheLastExtension) {
    EXPECT_EQ(ArchiveNameFor("/a/b.c.bmp"), "/a/b.c.zip");
    EXPECT_EQ(ArchiveNameFor("/pics/holiday.bmp"), "/pics/holiday.zip");
    EXPECT_EQ(ArchiveNameFor("/pics.v2/holiday"), "/pics.v2/holiday.zip");
}

TEST_F(MailTest, PackedCarrierIsMailedThenArchiveRemovedAndWindowReset) {
    std::map<std::string, zip_uint64_t> seen;
    desktop.onMail = [&](const std::string& path) { seen = ZipEntries(path); };
    EXPECT_TRUE(commands.SendCarrier()) << ui.Transcript();
    ASSERT_EQ(desktop.mailed, std::vector<std::string>{archive});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.begin()->first, "holiday.bmp");
    EXPECT_EQ(seen.begin()->second, ReadFile(carrier).size());
    EXPECT_FALSE(Exists(archive));
    EXPECT_TRUE(session.fields.origFile.empty());  // ResetOnEnd
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MailTest, UnpackedCarrierIsAttachedItself) {
    session.settings.SendCompress = 0;
    session.settings.ResetOnEnd = 0;
    EXPECT_TRUE(commands.SendCarrier());
    EXPECT_EQ(desktop.mailed, std::vector<std::string>{carrier});
    EXPECT_FALSE(Exists(archive));
    EXPECT_TRUE(Exists(carrier));
    EXPECT_EQ(session.fields.origFile, carrier);
}

TEST_F(MailTest, ExistingArchiveIsUpdatedOnlyAfterYes) {
    session.settings.SendDelete = 0;
    ASSERT_TRUE(commands.SendCarrier());  // makes the archive, kept
    commands.LoadCarrier(carrier);
    Put(dir.File("other.txt"), "keep me");
    {
        int error = 0;
        zip_t* zip = zip_open(archive.c_str(), 0, &error);
        ASSERT_NE(zip, nullptr);
        zip_file_add(zip, "other.txt", zip_source_file(zip, dir.File("other.txt").c_str(), 0, -1), 0);
        zip_close(zip);
    }
    ui.answers = {MessageAnswer::No};
    EXPECT_FALSE(commands.SendCarrier());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().text, EnLines({456, 442}));
    EXPECT_EQ(ui.LastMessage().title, En(443));
    EXPECT_EQ(ui.LastMessage().buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Exclamation);
    EXPECT_EQ(desktop.mailed.size(), 1u);

    MakeBitmap(carrier, 80, 48, 24, false, 4);  // carrier changed: the entry is replaced
    commands.LoadCarrier(carrier);
    ui.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(commands.SendCarrier());
    const auto entries = ZipEntries(archive);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.at("holiday.bmp"), ReadFile(carrier).size());
    EXPECT_EQ(entries.at("other.txt"), 7u);
}

TEST_F(MailTest, MailFailureIsReportedAndTheArchiveStillRemoved) {
    desktop.mailResult = false;
    EXPECT_FALSE(commands.SendCarrier());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.LastMessage().text, En(454));
    EXPECT_EQ(ui.LastMessage().title, En(455));
    EXPECT_EQ(ui.LastMessage().icon, MessageIcon::Critical);
    EXPECT_FALSE(Exists(archive));
    EXPECT_EQ(session.fields.origFile, carrier);  // no reset after a failed sending
}

TEST_F(MailTest, ZipFailureKeepsAFileThatWasThereBefore) {
    Put(archive, "not a zip archive");
    ui.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(commands.SendCarrier());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.LastMessage().text, En(452));
    EXPECT_EQ(ui.LastMessage().title, En(453));
    EXPECT_TRUE(desktop.mailed.empty());
    std::ifstream in(archive);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "not a zip archive");
}

TEST_F(MailTest, NoCarrierMeansTheDialogAndCancelIsSilent) {
    commands.Reset();
    EXPECT_FALSE(commands.SendCarrier());
    EXPECT_EQ(ui.carrierDialogs, 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(desktop.mailed.empty());
    EXPECT_FALSE(session.commandRunning);
}

TEST_F(MailTest, FailedHideSendsNothingAndClearsTheMark) {
    Put(dir.File("big.bin"), std::string(100000, 'x'));
    session.settings.Compression = 0;
    session.settings.Encryption = 0;
    commands.SetDataFile(dir.File("big.bin"));
    EXPECT_FALSE(commands.HideAndSend());
    EXPECT_TRUE(desktop.mailed.empty());
    EXPECT_FALSE(session.mailAfterHide);
    EXPECT_FALSE(ui.messages.empty());  // the capacity refusal
}

TEST_F(MailTest, HideAndSendResetsOnlyAfterTheSending) {
    Put(dir.File("small.txt"), "tiny");
    session.settings.Encryption = 0;
    commands.SetDataFile(dir.File("small.txt"));
    std::string carrierWhileMailing;
    desktop.onMail = [&](const std::string&) { carrierWhileMailing = session.fields.origFile; };
    EXPECT_TRUE(commands.HideAndSend()) << ui.Transcript();
    EXPECT_EQ(carrierWhileMailing, carrier);
    EXPECT_TRUE(session.fields.origFile.empty());
    EXPECT_FALSE(session.mailAfterHide);
    EXPECT_FALSE(Exists(archive));
}

// ---- the real hand-off to xdg-open / xdg-email ----

class XdgDesktopTest : public ::testing::Test {
protected:
    XdgDesktopTest() : savedPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
        ::setenv("PATH", dir.path().c_str(), 1);
    }
    ~XdgDesktopTest() override { ::setenv("PATH", savedPath.c_str(), 1); }

    // A stand-in helper that records its arguments, one per line, and exits with the status.
    void Helper(const std::string& name, int status) {
        Put(dir.File(name), "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + dir.File("args") +
                                "'\nexit " + std::to_string(status) + "\n");
        ::chmod(dir.File(name).c_str(), 0755);
    }
    std::string Args() {
        std::ifstream in(dir.File("args"));
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TempDir dir;
    std::string savedPath;
    XdgDesktop desktop;
};

TEST_F(XdgDesktopTest, ArgumentsPassWithoutAShellAndTheExitStatusDecides) {
    EXPECT_FALSE(desktop.Open("/tmp/x.bmp"));  // no helper on PATH: cannot start
    Helper("xdg-open", 0);
    EXPECT_TRUE(desktop.Open("/p/a b;$(touch x)'.bmp"));
    EXPECT_EQ(Args(), "/p/a b;$(touch x)'.bmp\n");
    EXPECT_TRUE(desktop.Open("-rf.bmp"));  // never taken for an option
    EXPECT_EQ(Args(), "./-rf.bmp\n");

    Helper("xdg-email", 0);
    EXPECT_TRUE(desktop.ComposeMailWithAttachment("/p/holiday.zip"));
    EXPECT_EQ(Args(), "--attach\n/p/holiday.zip\n");
    Helper("xdg-email", 3);
    EXPECT_FALSE(desktop.ComposeMailWithAttachment("/p/holiday.zip"));
}

}  // namespace
}  // namespace tarnwerk::test
