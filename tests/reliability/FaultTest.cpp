// Faults a user meets: a read-only carrier, folders without write permission, a full disk, a
// data file that vanished, a carrier another process holds, a hide killed half-way.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "app/AppFakes.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

constexpr int kSuccessHideId = 435, kSuccessExtractId = 430, kCarrierBusyId = 464;
constexpr uid_t kNobody = 65534;
constexpr uint64_t kSmallDisk = 16 * 1024;  // bytes a process may write into one file
constexpr size_t kDataSize = 200 * 1024;    // larger than kSmallDisk, even compressed
const std::vector<std::string> kUserFiles{"carrier.bmp", "secret.txt"};  // after a killed hide

// A forked child running work; signalFd (a pipe's read end) gets what work writes to the
// descriptor it is handed.
struct Child {
    pid_t pid = -1;
    int signalFd = -1;
};
Child StartChild(const std::function<void(int)>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        work(fds[1]);
        ::_exit(0);  // no gtest or static teardown in the child
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}
int WaitChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Runs work in a child, as nobody when the suite runs as root (so permissions hold), under an
// optional file-size limit (writes past it fail with EFBIG, the way a full disk fails them).
struct ChildResult {
    bool exited = false;  // false: killed by a signal (or could not start)
    std::string text;     // what work returned
};
ChildResult RunInChild(const std::function<std::string()>& work, std::optional<uint64_t> fileSizeLimit = {}) {
    const Child child = StartChild([&](int fd) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(125);
        const rlimit limit{fileSizeLimit.value_or(0), fileSizeLimit.value_or(0)};
        if (fileSizeLimit && (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0))
            ::_exit(125);
        const std::string text = work();
        for (ssize_t done = 0, put = 1; put > 0 && done < static_cast<ssize_t>(text.size()); done += put)
            put = ::write(fd, text.data() + done, text.size() - static_cast<size_t>(done));
    });
    if (child.pid <= 0) return {};
    ChildResult result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(child.signalFd, buffer, sizeof(buffer))) > 0;) result.text.append(buffer, static_cast<size_t>(got));
    ::close(child.signalFd);
    result.exited = WIFEXITED(WaitChild(child.pid));
    return result;
}

class FaultTest : public ::testing::Test {
public:
    void SetUp() override {
        carrierBytes_ = test::MakeBitmap(carrier_, 512, 512, 24, false, 3);
        dataBytes_ = test::MakeRaw(data_, kDataSize, 4);  // random: does not compress
        for (const auto& [path, mode] : {std::pair{dir_.path(), 0777}, {carrier_, 0666}, {data_, 0666}})
            ::chmod(path.c_str(), static_cast<mode_t>(mode));  // open to the unprivileged child
        session_.settings.ResetOnEnd = 0;
        session_.bitsPerByte = 4;  // room for the 200 KiB of data in the 512 x 512 carrier
    }

    // Runs a hide, or an extraction into file; returns "1" or "0", a newline and the
    // transcript of the messages shown. before runs just before the command.
    std::string Run(const std::string& file, bool hide, const std::function<void()>& before = {},
                    const std::function<void(int)>& onProgress = {}) const {
        test::FakeUi ui;
        ui.onProgress = onProgress;
        ui.newPassphrases = ui.passphrases = {std::string("correct horse battery")};
        test::FakeDesktop desktop;
        Session session = session_;
        Commands commands(session, ui, desktop);
        if (!commands.LoadCarrier(carrier_)) return "0\nload failed\n" + ui.Transcript();
        commands.SetDataFile(file);
        if (before) before();
        const bool done = hide ? commands.Hide() : commands.Extract();
        return std::string(done ? "1" : "0") + "\n" + ui.Transcript();
    }
    // Every file and folder under dir_ with its bytes ("/" for a folder).
    std::map<std::string, test::Bytes> Files() const {
        std::map<std::string, test::Bytes> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path()))
            files[entry.path().string()] = entry.is_directory() ? test::Bytes{'/'} : test::ReadFile(entry.path().string());
        return files;
    }

    test::TempDir dir_;
    std::string carrier_ = dir_.File("carrier.bmp"), data_ = dir_.File("secret.txt"), out_ = dir_.File("out.txt");
    test::Bytes carrierBytes_, dataBytes_;
    Session session_ = test::EnglishSession(dir_.File("tarnwerk.ini"));
    int holder_ = -1;  // a descriptor holding the carrier's lock
};

// A hide, or an extraction into out_ after a hide, under a fault set up by arrange: it fails
// with a message naming the cause (errno, 0: the carrier is busy) and no success message, and
// leaves every file and folder as it was: no output, no scratch file.
struct FaultCase {
    std::string name;
    bool hide;
    int error;
    std::optional<uint64_t> diskLimit;
    std::function<void(FaultTest&)> arrange;
    bool removeDataAfterSelection = false, keepsStoredData = false;
};
std::ostream& operator<<(std::ostream& out, const FaultCase& row) { return out << row.name; }

const FaultCase kFaults[] = {
    {"FullDiskWhilePreparing", true, EFBIG, kSmallDisk, [](FaultTest&) {}},
    {"ReadOnlyCarrier", true, EACCES, {}, [](FaultTest& t) { ::chmod(t.carrier_.c_str(), 0444); }},
    {"DataFileRemovedAfterSelection", true, ENOENT, {}, [](FaultTest&) {}, true},
    {"CarrierLockedByAnotherWriter", true, 0, {}, [](FaultTest& t) {
         t.holder_ = ::open(t.carrier_.c_str(), O_RDWR | O_CLOEXEC);
         EXPECT_EQ(::flock(t.holder_, LOCK_EX), 0);
     }},
    {"OutputFolderWithoutWritePermission", false, EACCES, {}, [](FaultTest& t) {
         EXPECT_EQ(::mkdir(t.dir_.File("locked").c_str(), 0555), 0);
         t.out_ = t.dir_.File("locked/out.txt");
     }},
    {"FullDiskWhileExtracting", false, EFBIG, kSmallDisk,
     [](FaultTest& t) { t.session_.settings.Compression = t.session_.settings.Encryption = 0; }},
    // The stored payload is small, its decompressed form does not fit: no success over a cut-off file.
    {"FullDiskWhileDecompressing", false, EFBIG, kSmallDisk, [](FaultTest& t) {
         t.dataBytes_.assign(kDataSize, 0);
         test::WriteFile(t.data_, t.dataBytes_);
     }, false, true},
};

class FaultStepTest : public FaultTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultStepTest, FailsNamingTheCauseAndKeepsEveryFile) {
    const FaultCase& row = GetParam();
    row.arrange(*this);
    if (!row.hide) {
        ASSERT_EQ(Run(data_, true).substr(0, 1), "1");
    }
    auto before = Files();
    if (row.removeDataAfterSelection) before.erase(data_);
    const ChildResult result = RunInChild([&] {
        return Run(row.hide ? data_ : out_, row.hide, [&] { if (row.removeDataAfterSelection) ::unlink(data_.c_str()); });
    }, row.diskLimit);
    const std::string cause = row.error ? std::strerror(row.error) : test::En(kCarrierBusyId);
    ASSERT_TRUE(result.exited) << "the child crashed";
    ASSERT_FALSE(result.text.empty()) << "the child reported nothing";
    EXPECT_EQ(result.text[0], '0') << result.text;
    EXPECT_NE(result.text.find(cause), std::string::npos) << "the message does not say \"" << cause << "\":\n" << result.text;
    EXPECT_EQ(result.text.find(test::En(row.hide ? kSuccessHideId : kSuccessExtractId)), std::string::npos) << result.text;
    auto after = Files();
    if (row.keepsStoredData && after.erase(out_) > 0) {  // the stored data is kept, never a cut-off
        const test::Bytes kept = test::ReadFile(out_);
        EXPECT_FALSE(kept.size() < kDataSize && kept == test::Bytes(kept.size(), 0)) << "a cut-off file was left";
    }
    for (const auto& [name, bytes] : after) EXPECT_TRUE(before.contains(name) && before[name] == bytes) << name << " changed or left";
    EXPECT_EQ(after.size(), before.size()) << "a file vanished";
    if (holder_ < 0) return;
    ::close(holder_);  // once released, the carrier takes the hide
    const std::string accepted = Run(data_, true);
    EXPECT_EQ(accepted.substr(0, 1), "1") << accepted;
}

INSTANTIATE_TEST_SUITE_P(Table, FaultStepTest, ::testing::ValuesIn(kFaults), [](const auto& row) { return row.param.name; });

// The scratch file goes to the temporary folder; nothing is written beside the data.
TEST_F(FaultTest, DataFolderWithoutWritePermissionStillHidesAndWritesNothingThere) {
    const std::string folder = dir_.File("locked"), data = folder + "/letter.txt";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const test::Bytes letter = test::MakeRaw(data, 5000, 5);
    ::chmod(data.c_str(), 0644);
    ::chmod(folder.c_str(), 0555);
    const auto result = RunInChild([&] { return Run(data, true); });
    ASSERT_TRUE(result.exited) << "the hide crashed";
    EXPECT_EQ(result.text.substr(0, 1), "1") << result.text;
    EXPECT_EQ(test::ReadFile(data), letter);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "a file was written beside the data";
}

// A hide killed half-way (power cut, kill -9): the carrier keeps its length and header, only
// the low bits of the prefix written so far differ, and an extraction returns that prefix
// without an error. No scratch file may outlive the process.
TEST_F(FaultTest, KilledHideLeavesAReadablePrefixAndNoScratchFile) {
    constexpr int kBits = 2;
    constexpr uint8_t kKeptBitsMask = 0xFC;  // the upper six bits of every carrier byte
    constexpr size_t kStreamPrefix = 18;     // begin marker + plain header
    carrierBytes_ = test::MakeBitmap(carrier_, 1400, 1200, 24, false, 8);
    dataBytes_ = test::MakeRaw(data_, 1200 * 1024, 9);  // many engine passes
    session_.settings.Compression = 0;
    session_.settings.Encryption = 0;
    session_.settings.ShowEndMessage = 0;
    session_.bitsPerByte = kBits;

    // The child stops inside its first progress report after data was written and waits
    // there to be killed, so exactly the passes before that report reached the carrier.
    const Child child = StartChild([&](int signalFd) {
        Run(data_, true, {}, [signalFd](int percent) {
            if (percent <= 0) return;
            (void)!::write(signalFd, "k", 1);
            for (;;) ::pause();
        });
    });
    ASSERT_GT(child.pid, 0);
    char ready = 0;
    const ssize_t got = ::read(child.signalFd, &ready, 1);
    ::close(child.signalFd);
    ::kill(child.pid, SIGKILL);
    const int status = WaitChild(child.pid);
    ASSERT_EQ(got, 1) << "the hide ended before its first progress report";
    ASSERT_TRUE(WIFSIGNALED(status));

    const test::Bytes after = test::ReadFile(carrier_);
    ASSERT_EQ(after.size(), carrierBytes_.size());
    const auto offset = static_cast<size_t>(test::GetLe32(carrierBytes_, test::bmp::kDataOffset));
    size_t lastChanged = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == carrierBytes_[i]) continue;
        ASSERT_GE(i, offset) << "the header changed at " << i;
        ASSERT_EQ(after[i] & kKeptBitsMask, carrierBytes_[i] & kKeptBitsMask) << "high bits changed at " << i;
        lastChanged = i;
    }
    const size_t streamWritten = (lastChanged - offset) / (8 / kBits) + 1;
    ASSERT_GT(streamWritten, kStreamPrefix) << "nothing of the data was written";
    ASSERT_LT(streamWritten, kStreamPrefix + dataBytes_.size()) << "the hide was not interrupted";
    EXPECT_EQ(dir_.Entries(), kUserFiles) << "the killed hide left a scratch file";
    EXPECT_EQ(test::ReadFile(data_), dataBytes_);

    const std::string out = dir_.File("prefix.bin");
    ASSERT_EQ(Run(out, false).substr(0, 1), "1");
    const test::Bytes prefix = test::ReadFile(out);
    const size_t dataWritten = streamWritten - kStreamPrefix;
    ASSERT_GE(prefix.size(), dataWritten);
    EXPECT_TRUE(std::equal(dataBytes_.begin(), dataBytes_.begin() + static_cast<ptrdiff_t>(dataWritten), prefix.begin()))
        << "the extracted prefix differs from the data";
}

}  // namespace
}  // namespace tarnwerk
