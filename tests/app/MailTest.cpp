// Sending the carrier: archive beside it, hand-off to the mail program, reset and clean-up.
#include <sys/stat.h>
#include <sys/wait.h>
#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <future>
#include <map>

#include "app/AppFakes.h"
#include "app/MailedArchives.h"
#include "config/TextId.h"
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

// The archive is mailed whole and an archive that cannot be updated stays.
TEST_F(AppTest, MailedArchiveIsCompleteAndABrokenOneIsKept) {
    const std::string carrier = dir.File("holiday.bmp"), archive = dir.File("holiday.zip");
    MakeBitmap(carrier, 64, 48, 24, false, 3);
    commands.LoadCarrier(carrier);
    std::map<std::string, zip_uint64_t> seen;
    desktop.onMail = [&](const std::string& path) { seen = ZipEntries(path); };
    EXPECT_TRUE(commands.SendCarrier()) << ui.Transcript();
    ASSERT_EQ(desktop.mailed, std::vector<std::string>{archive});
    EXPECT_EQ(seen, (std::map<std::string, zip_uint64_t>{{"holiday.bmp", ReadFile(carrier).size()}}));
    EXPECT_TRUE(session.fields.origFile.empty());  // ResetOnEnd

    commands.LoadCarrier(carrier);
    std::remove(archive.c_str());
    Put(archive, "not a zip archive");
    ui.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(commands.SendCarrier());
    EXPECT_EQ(ui.LastMessage().text + "|" + ui.LastMessage().title,
              En(TextId::ZipFailedText) + "|" + En(TextId::ZipFailedTitle));
    EXPECT_EQ(desktop.mailed.size(), 1u);
    EXPECT_EQ(Slurp(archive), "not a zip archive");
}

// Waits for a launch's end as told from the helper thread.
class Ending {
public:
    LaunchEnded Callback() {
        return [this](bool succeeded) { promise_.set_value(succeeded); };
    }
    bool Wait() { return future_.get(); }

private:
    std::promise<bool> promise_;
    std::future<bool> future_ = promise_.get_future();
};

// True when this process has no child left to reap: every helper was waited for.
bool NoChildLeft() { return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

// A mail program that is running already reads the attachment after xdg-email has returned:
// the archive stays until a start at least a day later, and only if it is still the one mailed.
TEST_F(AppTest, MailedArchiveOutlivesTheHandOffUntilALaterStart) {
    const std::string carrier = dir.File("holiday.bmp"), archive = dir.File("holiday.zip");
    const std::string list = dir.File("mailed-archives.txt");
    MakeBitmap(carrier, 64, 48, 24, false, 3);
    commands.LoadCarrier(carrier);
    const auto handedOver = static_cast<int64_t>(std::time(nullptr));
    ASSERT_TRUE(commands.SendCarrier()) << ui.Transcript();
    ASSERT_EQ(desktop.mailed, std::vector<std::string>{archive});
    const std::string mailed = Slurp(archive);
    EXPECT_FALSE(mailed.empty());

    RemoveMailedArchives(list, handedOver + 3600);  // a start an hour later
    EXPECT_EQ(Slurp(archive), mailed);
    RemoveMailedArchives(list, handedOver + 25 * 3600);  // a day later
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_FALSE(std::filesystem::exists(list));

    // An archive the user has made anew since is not the one that was mailed.
    commands.LoadCarrier(carrier);
    ASSERT_TRUE(commands.SendCarrier());
    Put(archive, "the user's own archive, written later");
    RemoveMailedArchives(list, handedOver + 25 * 3600);
    EXPECT_EQ(Slurp(archive), "the user's own archive, written later");

    // A hand-off that failed never reached a mail program: its archive goes at once.
    std::remove(archive.c_str());
    commands.LoadCarrier(carrier);
    desktop.mailStarts = false;
    EXPECT_FALSE(commands.SendCarrier());
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_EQ(ui.LastMessage().text, En(TextId::SendFailedText));

    // Nor did one whose xdg-email ended with a failure.
    commands.LoadCarrier(carrier);
    desktop.mailStarts = true;
    desktop.mailSucceeds = false;
    EXPECT_TRUE(commands.SendCarrier());
    EXPECT_EQ(desktop.mailed.back(), archive);
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_EQ(ui.LastMessage().text, En(TextId::SendFailedText));
}

// The real hand-off to xdg-open / xdg-email, with stand-ins on PATH that record their
// arguments: no shell in between, the call returns while the helper still runs, and the
// helper's exit status arrives afterwards, with the helper reaped.
TEST(XdgDesktop, StartsWithoutAShellReturnsAtOnceAndReapsTheHelper) {
    TempDir dir;
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", dir.path().c_str(), 1);
    // The stand-in records its arguments, then waits until the test lets it end.
    const auto helper = [&](const std::string& name, int status) {
        Put(dir.File(name), "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + dir.File("args") +
                                "'\nwhile [ ! -e '" + dir.File("go") + "' ]; do sleep 0.02; done\nexit " +
                                std::to_string(status) + "\n");
        ::chmod(dir.File(name).c_str(), 0755);
    };
    XdgDesktop desktop;
    EXPECT_FALSE(desktop.Open("/tmp/x.bmp", {}));  // no helper on PATH: cannot start

    helper("xdg-open", 0);
    Ending viewer;
    ASSERT_TRUE(desktop.Open("/p/a b;$(touch x)'.bmp", viewer.Callback()));
    Put(dir.File("go"), "");  // only now may the helper end: Open did not wait for it
    EXPECT_TRUE(viewer.Wait());
    EXPECT_EQ(Slurp(dir.File("args")), "/p/a b;$(touch x)'.bmp\n");
    EXPECT_TRUE(NoChildLeft());

    Ending dashed;
    ASSERT_TRUE(desktop.Open("-rf.bmp", dashed.Callback()));
    EXPECT_TRUE(dashed.Wait());
    EXPECT_EQ(Slurp(dir.File("args")), "./-rf.bmp\n");  // never taken for an option

    helper("xdg-email", 3);  // xdg-email's "no mail program found"
    Ending mail;
    ASSERT_TRUE(desktop.ComposeMailWithAttachment("/p/holiday.zip", mail.Callback()));
    EXPECT_FALSE(mail.Wait());
    EXPECT_EQ(Slurp(dir.File("args")), "--attach\n/p/holiday.zip\n");
    EXPECT_TRUE(NoChildLeft());
    ::setenv("PATH", savedPath.c_str(), 1);
}

}  // namespace
}  // namespace tarnwerk::test
