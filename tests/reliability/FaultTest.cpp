// Faults a user meets: a read-only carrier, folders without write permission, a full disk, a
// data file that vanished, a carrier another process holds. Each ends with a message naming
// the cause, no success message, no scratch file, and every user file as it was.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/AppFakes.h"
#include "reliability/ChildProcess.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

constexpr int kSuccessHideId = 435;
constexpr int kSuccessExtractId = 430;
constexpr int kCarrierBusyId = 464;
const char* const kPassphrase = "correct horse battery";
constexpr uint64_t kSmallDisk = 16 * 1024;  // bytes a process may write into one file
constexpr size_t kDataSize = 200 * 1024;    // larger than kSmallDisk, even compressed

std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::OpenToChild(dir_.path());
        carrier_ = dir_.File("carrier.bmp");
        carrierBytes_ = test::MakeBitmap(carrier_, 512, 512, 24, false, 3);
        data_ = dir_.File("secret.txt");
        dataBytes_ = test::MakeRaw(data_, kDataSize, 4);  // random: does not compress
        ::chmod(carrier_.c_str(), 0666);
        ::chmod(data_.c_str(), 0666);
    }

    Session NewSession() const {
        Session session = test::EnglishSession(dir_.File("tarnwerk.ini"));
        session.settings.ResetOnEnd = 0;
        session.bitsPerByte = 4;  // room for the 200 KiB of data in the 512 x 512 carrier
        return session;
    }

    // Runs a hide (output empty) or an extraction into output; returns "1" or "0", a newline
    // and the transcript of the messages shown.
    static std::string Run(Session session, const std::string& carrier, const std::string& file, bool hide,
                           const std::function<void()>& before = {}) {
        test::FakeUi ui;
        ui.newPassphrases.push_back(std::string(kPassphrase));
        ui.passphrases.push_back(std::string(kPassphrase));
        test::FakeDesktop desktop;
        Commands commands(session, ui, desktop);
        if (!commands.LoadCarrier(carrier)) return "0\nload failed\n" + ui.Transcript();
        commands.SetDataFile(file);
        if (before) before();
        const bool done = hide ? commands.Hide() : commands.Extract();
        return std::string(done ? "1" : "0") + "\n" + ui.Transcript();
    }
    static std::string Hide(Session session, const std::string& carrier, const std::string& data,
                            const std::function<void()>& before = {}) {
        return Run(std::move(session), carrier, data, true, before);
    }
    static std::string Extract(Session session, const std::string& carrier, const std::string& output) {
        return Run(std::move(session), carrier, output, false);
    }

    // The report says the command failed, with a critical message naming cause, and no success.
    void ExpectFailureNaming(const std::string& report, const std::string& cause, int successId) const {
        ASSERT_FALSE(report.empty()) << "the child reported nothing";
        EXPECT_EQ(report[0], '0') << report;
        EXPECT_NE(report.find(cause), std::string::npos) << "the message does not say \"" << cause << "\":\n" << report;
        EXPECT_EQ(report.find(Text(kLanguageBaseEnglish, successId)), std::string::npos) << report;
    }

    void ExpectUserFilesIntact() const {
        EXPECT_EQ(test::ReadFile(carrier_), carrierBytes_) << "the carrier changed";
        EXPECT_EQ(test::ReadFile(data_), dataBytes_) << "the data file changed";
    }

    test::TempDir dir_;
    std::string carrier_;
    std::string data_;
    test::Bytes carrierBytes_;
    test::Bytes dataBytes_;
};

TEST_F(FaultTest, ReadOnlyCarrierIsReportedAndKeptAsItWas) {
    ::chmod(carrier_.c_str(), 0444);
    const Session session = NewSession();
    const auto result = test::RunInChild([&] { return Hide(session, carrier_, data_); });
    ASSERT_TRUE(result.exited) << "the hide crashed";
    ExpectFailureNaming(result.text, std::strerror(EACCES), kSuccessHideId);
    ExpectUserFilesIntact();
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"carrier.bmp", "secret.txt"}));
}

// Data in a folder that takes no new files is still hidden: the scratch file goes to the
// temporary folder, and nothing is written beside the data.
TEST_F(FaultTest, DataFolderWithoutWritePermissionStillHidesAndWritesNothingThere) {
    const std::string folder = dir_.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string data = folder + "/letter.txt";
    const test::Bytes letter = test::MakeRaw(data, 5000, 5);
    ::chmod(data.c_str(), 0644);
    ::chmod(folder.c_str(), 0555);
    const Session session = NewSession();
    const auto result = test::RunInChild([&] { return Hide(session, carrier_, data); });
    ASSERT_TRUE(result.exited) << "the hide crashed";
    ASSERT_FALSE(result.text.empty());
    EXPECT_EQ(result.text[0], '1') << result.text;
    EXPECT_EQ(test::ReadFile(data), letter);
    EXPECT_EQ(EntriesOf(folder), std::vector<std::string>{"letter.txt"});
}

TEST_F(FaultTest, OutputFolderWithoutWritePermissionStopsTheExtraction) {
    ASSERT_EQ(Hide(NewSession(), carrier_, data_).substr(0, 1), "1");
    const test::Bytes hidden = test::ReadFile(carrier_);
    const std::string folder = dir_.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0555), 0);
    const Session session = NewSession();
    const auto result = test::RunInChild([&] { return Extract(session, carrier_, folder + "/out.txt"); });
    ASSERT_TRUE(result.exited) << "the extraction crashed";
    ExpectFailureNaming(result.text, std::strerror(EACCES), kSuccessExtractId);
    EXPECT_EQ(test::ReadFile(carrier_), hidden);
    EXPECT_TRUE(EntriesOf(folder).empty());
}

TEST_F(FaultTest, FullDiskWhilePreparingTheHideLeavesNoScratchFile) {
    const Session session = NewSession();
    const auto result = test::RunInChild([&] { return Hide(session, carrier_, data_); }, {true, kSmallDisk});
    ASSERT_TRUE(result.exited) << "the hide crashed";
    ExpectFailureNaming(result.text, std::strerror(EFBIG), kSuccessHideId);
    ExpectUserFilesIntact();
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"carrier.bmp", "secret.txt"}));
}

TEST_F(FaultTest, FullDiskWhileExtractingLeavesNoOutput) {
    Session plain = NewSession();
    plain.settings.Compression = 0;
    plain.settings.Encryption = 0;
    ASSERT_EQ(Hide(plain, carrier_, data_).substr(0, 1), "1");
    const auto result =
        test::RunInChild([&] { return Extract(plain, carrier_, dir_.File("out.txt")); }, {true, kSmallDisk});
    ASSERT_TRUE(result.exited) << "the extraction crashed";
    ExpectFailureNaming(result.text, std::strerror(EFBIG), kSuccessExtractId);
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"carrier.bmp", "secret.txt"}));
}

// The stored payload is small, its decompressed form does not fit: the extraction must not
// report success over a cut-off file.
TEST_F(FaultTest, FullDiskWhileDecompressingIsNotASuccess) {
    const test::Bytes zeros(kDataSize, 0);
    test::WriteFile(data_, zeros);
    const Session session = NewSession();
    ASSERT_EQ(Hide(session, carrier_, data_).substr(0, 1), "1");
    const std::string out = dir_.File("out.txt");
    const auto result = test::RunInChild([&] { return Extract(session, carrier_, out); }, {true, kSmallDisk});
    ASSERT_TRUE(result.exited) << "the extraction crashed";
    ExpectFailureNaming(result.text, std::strerror(EFBIG), kSuccessExtractId);
    for (const auto& name : dir_.Entries()) {
        EXPECT_TRUE(name == "carrier.bmp" || name == "secret.txt" || name == "out.txt") << name << " left behind";
    }
    if (std::filesystem::exists(out)) {
        const test::Bytes kept = test::ReadFile(out);
        EXPECT_FALSE(kept.size() < zeros.size() && std::all_of(kept.begin(), kept.end(), [](uint8_t b) { return b == 0; }))
            << "a cut-off decompression was left under the output name";
    }
}

TEST_F(FaultTest, DataFileRemovedAfterSelectionIsReported) {
    const std::string report = Hide(NewSession(), carrier_, data_, [&] { ::unlink(data_.c_str()); });
    ExpectFailureNaming(report, std::strerror(ENOENT), kSuccessHideId);
    EXPECT_EQ(test::ReadFile(carrier_), carrierBytes_);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"carrier.bmp"});
}

TEST_F(FaultTest, CarrierLockedByAnotherWriterIsRefusedUntilReleased) {
    const int holder = ::open(carrier_.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    const std::string refused = Hide(NewSession(), carrier_, data_);
    EXPECT_EQ(refused.substr(0, 1), "0") << refused;
    EXPECT_NE(refused.find(Text(kLanguageBaseEnglish, kCarrierBusyId)), std::string::npos) << refused;
    EXPECT_EQ(refused.find(Text(kLanguageBaseEnglish, kSuccessHideId)), std::string::npos) << refused;
    ExpectUserFilesIntact();
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"carrier.bmp", "secret.txt"}));

    ::close(holder);
    const std::string accepted = Hide(NewSession(), carrier_, data_);
    EXPECT_EQ(accepted.substr(0, 1), "1") << accepted;
}

}  // namespace
}  // namespace tarnwerk
