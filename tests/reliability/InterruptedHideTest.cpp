// A hide killed half-way (power cut, kill -9): the carrier keeps its length and header, only
// the low bits of the prefix written so far differ, and an extraction returns that prefix
// without an error. No scratch file may outlive the process.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "app/AppFakes.h"
#include "reliability/ChildProcess.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

constexpr int kBits = 2;
constexpr uint8_t kKeptBitsMask = 0xFC;    // the upper six bits of every carrier byte
constexpr size_t kDataSize = 1200 * 1024;  // many engine passes
constexpr size_t kStreamPrefix = 18;       // begin marker + plain header

Session PlainSession(const std::string& iniPath) {
    Session session = test::EnglishSession(iniPath);
    session.settings.Compression = 0;
    session.settings.Encryption = 0;
    session.settings.ShowEndMessage = 0;
    session.settings.ResetOnEnd = 0;
    session.bitsPerByte = kBits;
    return session;
}

TEST(InterruptedHideTest, KilledHideLeavesAReadablePrefixAndNoScratchFile) {
    test::TempDir dir;
    const std::string carrier = dir.File("carrier.bmp");
    const test::Bytes original = test::MakeBitmap(carrier, 1400, 1200, 24, false, 8);
    const std::string data = dir.File("archive.bin");
    const test::Bytes payload = test::MakeRaw(data, kDataSize, 9);
    const Session session = PlainSession(dir.File("tarnwerk.ini"));

    // The child stops inside its first progress report after data was written and waits
    // there to be killed, so exactly the passes before that report reached the carrier.
    const test::RunningChild child = test::StartChild([&](int signalFd) {
        test::FakeUi ui;
        ui.onProgress = [signalFd](int percent) {
            if (percent <= 0) return;
            const char ready = 'k';
            (void)!::write(signalFd, &ready, 1);
            for (;;) ::pause();
        };
        test::FakeDesktop desktop;
        Session own = session;
        Commands commands(own, ui, desktop);
        if (commands.LoadCarrier(carrier)) {
            commands.SetDataFile(data);
            commands.Hide();
        }
    });
    ASSERT_GT(child.pid, 0);
    char ready = 0;
    const ssize_t got = ::read(child.signalFd, &ready, 1);
    ::close(child.signalFd);
    ::kill(child.pid, SIGKILL);
    const int status = test::WaitChild(child.pid);
    ASSERT_EQ(got, 1) << "the hide ended before its first progress report";
    ASSERT_TRUE(WIFSIGNALED(status));

    const test::Bytes after = test::ReadFile(carrier);
    ASSERT_EQ(after.size(), original.size());
    const auto offset = static_cast<size_t>(test::GetLe32(original, test::bmp::kDataOffset));
    size_t lastChanged = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == original[i]) continue;
        ASSERT_GE(i, offset) << "the header changed at " << i;
        ASSERT_EQ(after[i] & kKeptBitsMask, original[i] & kKeptBitsMask) << "high bits changed at " << i;
        lastChanged = i;
    }
    const size_t streamWritten = (lastChanged - offset) / (8 / kBits) + 1;
    ASSERT_GT(streamWritten, kStreamPrefix) << "nothing of the data was written";
    ASSERT_LT(streamWritten, kStreamPrefix + payload.size()) << "the hide was not interrupted";

    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"archive.bin", "carrier.bmp"}))
        << "the killed hide left a scratch file";
    EXPECT_EQ(test::ReadFile(data), payload);

    test::FakeUi ui;
    test::FakeDesktop desktop;
    Session reader = session;
    Commands commands(reader, ui, desktop);
    ASSERT_TRUE(commands.LoadCarrier(carrier));
    const std::string out = dir.File("prefix.bin");
    commands.SetDataFile(out);
    ASSERT_TRUE(commands.Extract()) << ui.Transcript();
    const test::Bytes prefix = test::ReadFile(out);
    const size_t dataWritten = streamWritten - kStreamPrefix;
    ASSERT_GE(prefix.size(), dataWritten);
    EXPECT_TRUE(std::equal(payload.begin(), payload.begin() + static_cast<ptrdiff_t>(dataWritten), prefix.begin()))
        << "the extracted prefix differs from the data";
}

}  // namespace
}  // namespace tarnwerk
