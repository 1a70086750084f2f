#include "core/ReplacingOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>
#include <thread>

namespace tarnwerk {

namespace {

constexpr int kNameAttempts = 32;
constexpr int kSuffixLength = 6;
constexpr unsigned kNewFileMode = 0666;  // narrowed by the umask like any new file

std::string RandomSuffix(std::mt19937& random) {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (int i = 0; i < kSuffixLength; ++i) suffix += kAlphabet[random() % (sizeof(kAlphabet) - 1)];
    return suffix;
}

// ".<name>.XXXXXX" beside the target, so the final rename stays within one file system.
std::string TemporaryName(const std::string& target, const std::string& suffix) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + suffix;
}

// The file the rename will replace, held open so that the rename does not free its blocks:
// for a large file that takes long enough to freeze a window. Not a regular file: none.
UniqueFd HoldReplacedFile(const std::string& target) {
    UniqueFd held(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (held.get() >= 0 && (::fstat(held.get(), &info) != 0 || !S_ISREG(info.st_mode))) return UniqueFd();
    return held;
}

// The last close frees the replaced file's blocks; that happens on a thread of its own.
void ReleaseInBackground(UniqueFd held) {
    if (held.get() < 0) return;
    try {
        std::thread([fd = held.get()] { ::close(fd); }).detach();
        (void)held.release();
    } catch (const std::system_error&) {
        // No thread to spare: the close happens here after all, when held goes.
    }
}

}  // namespace

ReplacingOutput::ReplacingOutput(std::string targetPath, std::string temporaryPath, UniqueFd fd)
    : targetPath_(std::move(targetPath)), temporaryPath_(std::move(temporaryPath)), fd_(std::move(fd)) {}

ReplacingOutput::ReplacingOutput(ReplacingOutput&& other) noexcept
    : targetPath_(std::move(other.targetPath_)),
      temporaryPath_(std::move(other.temporaryPath_)),
      fd_(std::move(other.fd_)),
      written_(other.written_),
      committed_(other.committed_) {
    other.committed_ = true;  // the moved-from object owns no file any more
}

ReplacingOutput::~ReplacingOutput() { Discard(); }

Result<ReplacingOutput> ReplacingOutput::Create(const std::string& targetPath) {
    std::random_device seed;
    std::mt19937 random(seed());
    int lastError = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string temporary = TemporaryName(targetPath, RandomSuffix(random));
        auto fd = OpenFile(temporary, O_WRONLY | O_CREAT | O_EXCL, kNewFileMode);
        if (fd) {
            // A replaced file keeps its permissions.
            struct stat existing {};
            if (::stat(targetPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
                (void)::fchmod(fd->get(), existing.st_mode & 07777);
            return ReplacingOutput(targetPath, std::move(temporary), std::move(*fd));
        }
        lastError = fd.error().number;
        if (lastError != EEXIST) break;
    }
    return IoError(targetPath, lastError);
}

Status ReplacingOutput::Write(const uint8_t* data, size_t size) {
    auto status = WriteAll(fd_.get(), data, size, targetPath_);
    if (status) written_ += static_cast<int64_t>(size);
    return status;
}

Status ReplacingOutput::Commit() {
    // close() can report a delayed write error; the file is not complete then.
    const int fd = fd_.release();
    if (::close(fd) != 0) return IoError(targetPath_, errno);
    UniqueFd replaced = HoldReplacedFile(targetPath_);
    if (::rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0) return IoError(targetPath_, errno);
    committed_ = true;
    ReleaseInBackground(std::move(replaced));
    return {};
}

void ReplacingOutput::Discard() {
    if (committed_) return;
    fd_ = UniqueFd();
    ::unlink(temporaryPath_.c_str());
    committed_ = true;
}

}  // namespace tarnwerk
