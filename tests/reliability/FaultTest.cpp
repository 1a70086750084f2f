// Faults a user meets (a read-only carrier, a full disk, a data file that vanished, a carrier
// another process holds, a hide killed half-way) and hidden payloads that lie about themselves.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "app/AppFakes.h"
#include "base/Helpers.h"
#include "compression/clsZlib.h"
#include "crypto/Cipher.h"
#include "crypto/clsMD5.h"
#include "fuzz/HiddenStream.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

// The English texts a user reads.
constexpr const char* kHiddenText = "The data was successfully hidden in the carrier file.";
constexpr const char* kExtractedText = "The data was successfully extracted from the carrier file.";
constexpr const char* kCarrierBusyText = "The carrier file is being written by another process.";
constexpr uid_t kNobody = 65534;
constexpr uint64_t kSmallDisk = 16 * 1024;  // bytes a process may write into one file
constexpr size_t kDataSize = 200 * 1024;    // larger than kSmallDisk, even compressed
const char* const kPassphrase = "correct horse battery";

// Runs work in a forked child, as nobody under root (so permissions hold), under an optional
// file-size limit (writes past it fail with EFBIG, as on a full disk); "": the child died.
std::string RunInChild(const std::function<std::string()>& work, std::optional<uint64_t> fileSizeLimit = {}) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const rlimit limit{fileSizeLimit.value_or(0), fileSizeLimit.value_or(0)};
        if ((::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ||
            (fileSizeLimit && (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0)))
            ::_exit(125);
        const std::string text = work();
        for (ssize_t done = 0, put = 1; put > 0 && done < static_cast<ssize_t>(text.size()); done += put)
            put = ::write(fds[1], text.data() + done, text.size() - static_cast<size_t>(done));
        ::_exit(0);  // no gtest or static teardown in the child
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof(buffer))) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? text : "";
}

class FaultTest : public ::testing::Test {
public:
    void SetUp() override {
        Make(512, 512, kDataSize, 4);  // room for the 200 KiB of random data in the 512 x 512 carrier
        session_.settings.ResetOnEnd = false;
    }
    void Make(int32_t side, int32_t height, size_t dataSize, int bits) {
        carrierBytes_ = test::MakeBitmap(carrier_, side, height, 24, false, 3);
        dataBytes_ = test::MakeRaw(data_, dataSize, 4);
        for (const auto& [path, mode] : {std::pair{dir_.path(), 0777}, {carrier_, 0666}, {data_, 0666}})
            ::chmod(path.c_str(), static_cast<mode_t>(mode));  // open to the unprivileged child
        session_.settings.bitsPerByte = bits;
    }

    // A hide, or an extraction into file: "1" or "0", a newline and the messages shown.
    std::string Run(const std::string& file, bool hide, const std::function<void()>& before = {},
                    const std::function<void(int)>& onProgress = {}) const {
        test::FakeUi ui;
        ui.onProgress = onProgress;
        ui.newPassphrases = ui.passphrases = {std::string(kPassphrase)};
        test::FakeDesktop desktop;
        Session session = session_;
        ui.session = &session;
        Commands commands(session, ui, desktop, ui, ui);
        if (!commands.LoadCarrier(carrier_)) return "0\nload failed\n" + ui.Transcript();
        commands.SetDataFile(file);
        if (before) before();
        const bool done = hide ? commands.Hide() : commands.Extract();
        return std::string(done ? "1" : "0") + "\n" + ui.Transcript();
    }
    std::map<std::string, Bytes> Files() const {
        std::map<std::string, Bytes> files;
        for (const auto& name : dir_.Entries()) files[dir_.File(name)] = test::ReadFile(dir_.File(name));
        return files;
    }

    test::TempDir dir_;
    std::string carrier_ = dir_.File("carrier.bmp"), data_ = dir_.File("secret.txt"), out_ = dir_.File("out.txt");
    Bytes carrierBytes_, dataBytes_;
    Session session_ = test::EnglishSession(dir_.File("tarnwerk.ini"));
    int holder_ = -1;  // a descriptor holding the carrier's lock
};

// A hide, or an extraction after a hide, fails naming the cause (errno; 0: the carrier is
// busy), shows no success and leaves every file as it was.
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
    {"ReadOnlyCarrier", true, EACCES, {}, [](FaultTest& t) { ::chmod(t.carrier_.c_str(), 0444); }},
    {"DataFileRemovedAfterSelection", true, ENOENT, {}, [](FaultTest&) {}, true},
    {"CarrierLockedByAnotherWriter",
     true,
     0,
     {},
     [](FaultTest& t) {
         t.holder_ = ::open(t.carrier_.c_str(), O_RDWR | O_CLOEXEC);
         EXPECT_EQ(::flock(t.holder_, LOCK_EX), 0);
     }},
    // The stealth method replaces the carrier by a renamed file: protection and lock still hold.
    {"StealthIntoReadOnlyCarrier",
     true,
     EACCES,
     {},
     [](FaultTest& t) {
         t.session_.settings.Method = HidingMethod::Stealth;
         test::WriteFile(t.data_, Bytes(2000, 'x'));
         ::chmod(t.carrier_.c_str(), 0444);
     }},
    {"StealthIntoLockedCarrier",
     true,
     0,
     {},
     [](FaultTest& t) {
         t.session_.settings.Method = HidingMethod::Stealth;
         test::WriteFile(t.data_, Bytes(2000, 'x'));
         t.holder_ = ::open(t.carrier_.c_str(), O_RDWR | O_CLOEXEC);
         EXPECT_EQ(::flock(t.holder_, LOCK_EX), 0);
     }},
    {"FullDiskWhileExtracting", false, EFBIG, kSmallDisk,
     [](FaultTest& t) { t.session_.settings.Compression = t.session_.settings.Encryption = false; }},
    // The stored payload is small, its decompressed form does not fit: no success over a cut-off file.
    {"FullDiskWhileDecompressing", false, EFBIG, kSmallDisk,
     [](FaultTest& t) {
         t.dataBytes_.assign(kDataSize, 0);
         test::WriteFile(t.data_, t.dataBytes_);
     },
     false, true},
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
    const std::string text = RunInChild(
        [&] {
            return Run(row.hide ? data_ : out_, row.hide, [&] {
                if (row.removeDataAfterSelection) ::unlink(data_.c_str());
            });
        },
        row.diskLimit);
    const std::string cause = row.error ? std::strerror(row.error) : kCarrierBusyText;
    ASSERT_FALSE(text.empty()) << "the child crashed or reported nothing";
    EXPECT_EQ(text[0], '0') << text;
    EXPECT_NE(text.find(cause), std::string::npos) << "the message does not say \"" << cause << "\":\n" << text;
    EXPECT_EQ(text.find(row.hide ? kHiddenText : kExtractedText), std::string::npos) << text;
    auto after = Files();
    if (row.keepsStoredData && after.erase(out_) > 0) {  // the stored data is kept, never a cut-off
        const Bytes kept = test::ReadFile(out_);
        EXPECT_FALSE(kept.size() < kDataSize && kept == Bytes(kept.size(), 0)) << "a cut-off file was left";
    }
    for (const auto& [name, bytes] : after)
        EXPECT_TRUE(before.contains(name) && before[name] == bytes) << name << " changed or left";
    EXPECT_EQ(after.size(), before.size()) << "a file vanished";
    if (holder_ < 0) return;
    ::close(holder_);  // once released, the carrier takes the hide
    const std::string accepted = Run(data_, true);
    EXPECT_EQ(accepted.substr(0, 1), "1") << accepted;
}

INSTANTIATE_TEST_SUITE_P(Table, FaultStepTest, ::testing::ValuesIn(kFaults),
                         [](const auto& row) { return row.param.name; });

// A hide killed (SIGKILL) in its first progress report after data was written: the carrier keeps
// length, header and high bits, the written prefix reads back, no scratch file remains.
TEST_F(FaultTest, KilledHideLeavesAReadablePrefixAndNoScratchFile) {
    constexpr size_t kStreamPrefix = 18;  // begin marker + plain header
    Make(1400, 1200, 1200 * 1024, 2);     // many engine passes
    session_.settings.Compression = session_.settings.Encryption = false;
    session_.settings.ShowEndMessage = false;
    const std::string text = RunInChild([&] {
        return Run(data_, true, {}, [](int percent) {
            if (percent > 0) ::kill(::getpid(), SIGKILL);
        });
    });
    ASSERT_EQ(text, "") << "the hide ended before its first progress report";

    const Bytes after = test::ReadFile(carrier_);
    ASSERT_EQ(after.size(), carrierBytes_.size());
    const auto offset = static_cast<size_t>(test::GetLe32(carrierBytes_, test::bmp::kDataOffset));
    size_t lastChanged = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == carrierBytes_[i]) continue;
        ASSERT_GE(i, offset) << "the header changed at " << i;
        ASSERT_EQ(after[i] & 0xFC, carrierBytes_[i] & 0xFC) << "high bits changed at " << i;
        lastChanged = i;
    }
    const size_t streamWritten = (lastChanged - offset) / 4 + 1;
    ASSERT_GT(streamWritten, kStreamPrefix) << "nothing of the data was written";
    const size_t dataWritten = streamWritten - kStreamPrefix;
    ASSERT_LT(dataWritten, dataBytes_.size()) << "the hide was not interrupted";
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"carrier.bmp", "secret.txt"})) << "a scratch file was left";
    EXPECT_EQ(test::ReadFile(data_), dataBytes_);

    ASSERT_EQ(Run(out_, false).substr(0, 1), "1");
    const Bytes prefix = test::ReadFile(out_);
    ASSERT_GE(prefix.size(), dataWritten);
    EXPECT_TRUE(
        std::equal(dataBytes_.begin(), dataBytes_.begin() + static_cast<ptrdiff_t>(dataWritten), prefix.begin()));
}

// Hidden payloads that lie about themselves, through the extract workflow: it returns the data
// or fails with a message, never reports success over damaged output, leaves no scratch file.
constexpr int kBits = 2, kTries = 3;
constexpr uint8_t kRc4 = 1, kTea = 3;

Bytes Plain() {
    std::string text;
    for (int i = 0; i < 20; ++i) text += "Meet at the north gate on Tuesday; bring the second key.\n";
    return {text.begin(), text.end()};
}
std::string DigestOf(const std::string& passphrase) { return HexToBin(clsMD5().DigestStrToHexStr(passphrase)); }
// The stored compressed format: size field, then the zlib stream.
Bytes Compressed(const Bytes& plain, std::optional<int32_t> statedSize = std::nullopt) {
    std::vector<uint8_t> stream = plain;
    EXPECT_TRUE(clsZlib().CompressByteArray(stream, 9));
    stream.insert(stream.begin(), 4, 0);
    test::PutLe32(stream, 0, statedSize.value_or(static_cast<int32_t>(plain.size())));
    return stream;
}
Bytes Encrypted(uint8_t cipher, const Bytes& plain, const std::string& passphrase = kPassphrase) {
    std::vector<uint8_t> data = plain;
    CreateCipher(cipher)->EncryptByte(data, MakeKey(DigestOf(passphrase)));
    return data;
}

struct PayloadCase {
    std::string name;
    uint8_t flags, cipher;
    Bytes data;                                 // as stored in the carrier
    bool returnsPlain = false;                  // true: the extraction succeeds with Plain()
    std::string checkPassphrase = kPassphrase;  // whose digest the header keeps
};
std::ostream& operator<<(std::ostream& out, const PayloadCase& row) { return out << row.name; }

std::vector<PayloadCase> PayloadCases() {
    const Bytes plain = Plain(), packed = Compressed(plain), tea = Encrypted(kTea, plain);
    const uint8_t zip = fuzz::kCompressedFlag, enc = fuzz::kEncryptedFlag, both = zip | enc;
    return {
        {"Rc4Compressed", both, kRc4, Encrypted(kRc4, packed), true},
        {"CompressedSizeClaimsTooLittle", zip, 255, Compressed(plain, 10)},
        {"CompressedSizeHuge", zip, 255, Compressed(plain, INT32_MAX)},
        {"TeaMissingLastBlock", enc, kTea, Bytes(tea.begin(), tea.end() - 8)},
        {"Rc4UnderAnotherKeyFailsToDecompress", both, kRc4, Encrypted(kRc4, packed, "another passphrase")},
        {"CheckValueOfAnotherPassphrase", enc, kRc4, Encrypted(kRc4, plain), false, "another passphrase"},
    };
}

class HostilePayloadTest : public test::AppTest, public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(HostilePayloadTest, ExtractionReturnsTheDataOrFailsWithAMessage) {
    const PayloadCase& row = GetParam();
    const std::string check = row.flags & fuzz::kEncryptedFlag ? DigestOf(row.checkPassphrase) : "";
    Bytes carrier = test::RandomBytes(64 * 1024, 17);
    ASSERT_TRUE(fuzz::EmbedStream(
        carrier, 0,
        fuzz::BuildStream({.flags = row.flags, .cipher = row.cipher, .checkValue = check, .data = row.data}), kBits));
    const std::string carrierPath = dir.File("holiday.raw"), out = dir.File("letter.txt");
    test::WriteFile(carrierPath, carrier);
    session.settings.ResetOnEnd = false;
    session.settings.bitsPerByte = kBits;
    ui.passphrases.assign(kTries, std::string(kPassphrase));
    ui.answers.assign(kTries, MessageAnswer::Retry);
    ASSERT_TRUE(commands.LoadCarrier(carrierPath)) << ui.Transcript();
    commands.SetDataFile(out);
    const bool extracted = commands.Extract();

    const std::string transcript = ui.Transcript();
    const bool successShown = transcript.find(kExtractedText) != std::string::npos;
    EXPECT_EQ(test::ReadFile(carrierPath), carrier) << "extraction changed the carrier";
    for (const auto& name : dir.Entries())
        EXPECT_TRUE(name == "holiday.raw" || name == "letter.txt" || name == "tarnwerk.ini") << name << " left behind";
    if (row.returnsPlain) {
        ASSERT_TRUE(extracted && successShown) << transcript;
        EXPECT_EQ(test::ReadFile(out), Plain());
        return;
    }
    EXPECT_FALSE(extracted || successShown) << "damaged payload reported as extracted:\n" << transcript;
    EXPECT_TRUE(std::any_of(
        ui.messages.begin(), ui.messages.end(),
        [](const Message& m) { return m.icon == MessageIcon::Critical || m.icon == MessageIcon::Exclamation; }))
        << "the failure was not reported:\n"
        << transcript;
}

INSTANTIATE_TEST_SUITE_P(Table, HostilePayloadTest, ::testing::ValuesIn(PayloadCases()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace tarnwerk
