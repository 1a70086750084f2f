// Sending the carrier: archive beside it, hand-off to the mail program, reset and clean-up.
#include <sys/stat.h>
#include <zip.h>

#include <cstdlib>
#include <map>

#include "app/AppFakes.h"
#include "app/Mail.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

// Entry name -> size, from the archive's central directory.
std::map<std::string, zip_uint64_t> ZipEntries(const std::string& archive) {
    std::map<std::string, zip_uint64_t> entries;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    if (zip == nullptr) return entries;
    zip_stat_t stat;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i)
        if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) == 0) entries[stat.name] = stat.size;
    zip_discard(zip);
    return entries;
}

class MailTest : public AppTest {
protected:
    MailTest() {
        MakeBitmap(carrier, 64, 48, 24, false, 3);
        commands.LoadCarrier(carrier);
    }
    std::string carrier = dir.File("holiday.bmp");
    std::string archive = dir.File("holiday.zip");
};

TEST_F(MailTest, PackedCarrierIsMailedThenArchiveRemovedAndWindowReset) {
    EXPECT_EQ(ArchiveNameFor("/a/b.c.bmp"), "/a/b.c.zip");  // only the last extension is replaced
    EXPECT_EQ(ArchiveNameFor("/pics.v2/holiday"), "/pics.v2/holiday.zip");
    std::map<std::string, zip_uint64_t> seen;
    desktop.onMail = [&](const std::string& path) { seen = ZipEntries(path); };
    EXPECT_TRUE(commands.SendCarrier()) << ui.Transcript();
    ASSERT_EQ(desktop.mailed, std::vector<std::string>{archive});
    EXPECT_EQ(seen, (std::map<std::string, zip_uint64_t>{{"holiday.bmp", ReadFile(carrier).size()}}));
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_TRUE(session.fields.origFile.empty());  // ResetOnEnd
    EXPECT_TRUE(ui.messages.empty());

    commands.LoadCarrier(carrier);  // unpacked: the carrier itself is attached
    session.settings.SendCompress = 0;
    session.settings.ResetOnEnd = 0;
    EXPECT_TRUE(commands.SendCarrier());
    EXPECT_EQ(desktop.mailed.back(), carrier);
    EXPECT_TRUE(std::filesystem::exists(carrier));
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_EQ(session.fields.origFile, carrier);
}

TEST_F(MailTest, ExistingArchiveIsUpdatedOnlyAfterYes) {
    session.settings.SendDelete = 0;
    ASSERT_TRUE(commands.SendCarrier());  // makes the archive, kept
    commands.LoadCarrier(carrier);
    Put(dir.File("other.txt"), "keep me");
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), 0, &error);
    ASSERT_NE(zip, nullptr);
    zip_file_add(zip, "other.txt", zip_source_file(zip, dir.File("other.txt").c_str(), 0, -1), 0);
    zip_close(zip);
    ui.answers = {MessageAnswer::No};
    EXPECT_FALSE(commands.SendCarrier());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.Transcript(), "48\t" + En(443) + "\t" + En(456) + " | " + En(442) + "\n");
    EXPECT_EQ(ui.LastMessage().buttons, MessageButtons::YesNo);
    EXPECT_EQ(desktop.mailed.size(), 1u);

    MakeBitmap(carrier, 80, 48, 24, false, 4);  // carrier changed: the entry is replaced
    commands.LoadCarrier(carrier);
    ui.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(commands.SendCarrier());
    EXPECT_EQ(ZipEntries(archive), (std::map<std::string, zip_uint64_t>{{"holiday.bmp", ReadFile(carrier).size()},
                                                                          {"other.txt", 7u}}));
}

TEST_F(MailTest, FailuresAreReportedAndKeepWhatWasThere) {
    desktop.mailResult = false;
    EXPECT_FALSE(commands.SendCarrier());
    EXPECT_EQ(ui.Transcript(), "16\t" + En(455) + "\t" + En(454) + "\n");
    EXPECT_FALSE(std::filesystem::exists(archive));  // removed all the same
    EXPECT_EQ(session.fields.origFile, carrier);     // no reset after a failed sending

    Put(archive, "not a zip archive");
    ui.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(commands.SendCarrier());
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.LastMessage().text + "|" + ui.LastMessage().title, En(452) + "|" + En(453));
    EXPECT_EQ(desktop.mailed.size(), 1u);
    EXPECT_EQ(Slurp(archive), "not a zip archive");
    EXPECT_FALSE(session.commandRunning);
}

TEST_F(MailTest, HideAndSendMailsOnlyAfterASuccessfulHideAndThenResets) {
    session.settings.Encryption = session.settings.Compression = 0;
    Put(dir.File("big.bin"), std::string(100000, 'x'));
    commands.SetDataFile(dir.File("big.bin"));
    EXPECT_FALSE(commands.HideAndSend());
    EXPECT_EQ(ui.LastMessage().text, EnLines({433, 434}));
    EXPECT_TRUE(desktop.mailed.empty());
    EXPECT_FALSE(session.mailAfterHide);

    Put(dir.File("small.txt"), "tiny");
    commands.SetDataFile(dir.File("small.txt"));
    std::string carrierWhileMailing;
    desktop.onMail = [&](const std::string&) { carrierWhileMailing = session.fields.origFile; };
    EXPECT_TRUE(commands.HideAndSend()) << ui.Transcript();
    EXPECT_EQ(carrierWhileMailing, carrier);
    EXPECT_TRUE(session.fields.origFile.empty());
    EXPECT_FALSE(session.mailAfterHide);
    EXPECT_FALSE(std::filesystem::exists(archive));
}

// The real hand-off to xdg-open / xdg-email, with stand-ins on PATH that record their arguments.
TEST(XdgDesktop, ArgumentsPassWithoutAShellAndTheExitStatusDecides) {
    TempDir dir;
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", dir.path().c_str(), 1);
    const auto helper = [&](const std::string& name, int status) {
        Put(dir.File(name), "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + dir.File("args") +
                                "'\nexit " + std::to_string(status) + "\n");
        ::chmod(dir.File(name).c_str(), 0755);
    };
    XdgDesktop desktop;
    EXPECT_FALSE(desktop.Open("/tmp/x.bmp"));  // no helper on PATH: cannot start
    helper("xdg-open", 0);
    EXPECT_TRUE(desktop.Open("/p/a b;$(touch x)'.bmp"));
    EXPECT_EQ(Slurp(dir.File("args")), "/p/a b;$(touch x)'.bmp\n");
    EXPECT_TRUE(desktop.Open("-rf.bmp"));  // never taken for an option
    EXPECT_EQ(Slurp(dir.File("args")), "./-rf.bmp\n");
    helper("xdg-email", 0);
    EXPECT_TRUE(desktop.ComposeMailWithAttachment("/p/holiday.zip"));
    EXPECT_EQ(Slurp(dir.File("args")), "--attach\n/p/holiday.zip\n");
    helper("xdg-email", 3);
    EXPECT_FALSE(desktop.ComposeMailWithAttachment("/p/holiday.zip"));
    ::setenv("PATH", savedPath.c_str(), 1);
}

}  // namespace
}  // namespace tarnwerk::test
