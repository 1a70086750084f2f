#include "config/FileIo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>
#include <thread>

namespace tarnwerk {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

Error IoError(const std::string& path, int number) {
    return MakeError(ErrorCode::Io, std::strerror(number), path, number);
}

Result<UniqueFd> OpenFile(const std::string& path, int flags, unsigned mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return IoError(path, errno);
    return UniqueFd(fd);
}

Status LockFile(int fd, bool exclusive, const std::string& path) {
    const int operation = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return {};
    if (errno == EWOULDBLOCK) return MakeError(ErrorCode::CarrierBusy, std::strerror(errno), path, errno);
    return IoError(path, errno);
}

Result<int64_t> FileLength(int fd, const std::string& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return IoError(path, errno);
    return static_cast<int64_t>(info.st_size);
}

namespace {

// A read that hits the end of the file before the range is complete.
Error UnexpectedEnd(const std::string& path) {
    return MakeError(ErrorCode::Io, "The file ended before the expected number of bytes.", path, 0);
}

// Repeats step(done), which moves bytes [done, size) and returns how many it moved, until all
// are moved; interrupted calls are retried. Nothing moved means the file ended (a write that
// moves nothing would otherwise loop for ever).
template <class Step>
Status MoveAll(size_t size, const std::string& path, Step step) {
    for (size_t done = 0; done < size;) {
        const ssize_t moved = step(done);
        if (moved < 0) {
            if (errno == EINTR) continue;
            return IoError(path, errno);
        }
        if (moved == 0) return UnexpectedEnd(path);
        done += static_cast<size_t>(moved);
    }
    return {};
}

off_t At(int64_t offset, size_t done) { return static_cast<off_t>(offset + static_cast<int64_t>(done)); }

}  // namespace

Status ReadAt(int fd, uint8_t* data, size_t size, int64_t offset, const std::string& path) {
    return MoveAll(size, path, [&](size_t done) { return ::pread(fd, data + done, size - done, At(offset, done)); });
}

Status WriteAt(int fd, const uint8_t* data, size_t size, int64_t offset, const std::string& path) {
    return MoveAll(size, path, [&](size_t done) { return ::pwrite(fd, data + done, size - done, At(offset, done)); });
}

Status ReadExactly(int fd, uint8_t* data, size_t size, const std::string& path) {
    return MoveAll(size, path, [&](size_t done) { return ::read(fd, data + done, size - done); });
}

Status WriteAll(int fd, const uint8_t* data, size_t size, const std::string& path) {
    return MoveAll(size, path, [&](size_t done) { return ::write(fd, data + done, size - done); });
}

std::string ResolvedPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

namespace {

constexpr size_t kReadChunk = size_t{64} << 10;
constexpr int kNameAttempts = 32;
constexpr int kSuffixLength = 6;

std::string RandomSuffix(std::mt19937& random) {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (int i = 0; i < kSuffixLength; ++i) suffix += kAlphabet[random() % (sizeof(kAlphabet) - 1)];
    return suffix;
}

std::string HiddenNameBeside(const std::string& target, const std::string& suffix) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + suffix;
}

// The file a rename will replace, held open so that the rename itself frees nothing.
UniqueFd HoldReplacedFile(const std::string& target) {
    UniqueFd held(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (held.valid() && (::fstat(held.get(), &info) != 0 || !S_ISREG(info.st_mode))) return UniqueFd();
    return held;
}

// The last close frees the replaced file's blocks, on a thread of its own when one can start.
void ReleaseInBackground(UniqueFd held) {
    if (!held.valid()) return;
    try {
        std::thread([fd = held.get()] { ::close(fd); }).detach();
        (void)held.release();
    } catch (const std::system_error&) {
        // No thread to spare: the close happens here after all, when held goes.
    }
}

}  // namespace

Result<UniqueFd> CreateFileBeside(const std::string& target, unsigned newFileMode, std::string& path) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path = HiddenNameBeside(target, RandomSuffix(random));
        auto fd = OpenFile(path, O_WRONLY | O_CREAT | O_EXCL, newFileMode);
        if (!fd) {
            if (fd.error().number == EEXIST) continue;
            return IoError(target, fd.error().number);
        }
        struct stat existing {};
        if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
            ::fchmod(fd->get(), existing.st_mode & 07777) != 0) {
            const int error = errno;
            ::unlink(path.c_str());
            return IoError(target, error);
        }
        return fd;
    }
    return IoError(target, EEXIST);
}

Status RenameOnto(const std::string& file, const std::string& target) {
    UniqueFd replaced = HoldReplacedFile(target);
    if (::rename(file.c_str(), target.c_str()) != 0) return IoError(target, errno);
    ReleaseInBackground(std::move(replaced));
    return {};
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path, int64_t maxLength) {
    auto fd = OpenFile(path, O_RDONLY);
    if (!fd) return fd.error();
    struct stat info {};
    if (::fstat(fd->get(), &info) != 0) return IoError(path, errno);
    if (!S_ISREG(info.st_mode)) return MakeError(ErrorCode::Io, "not a regular file", path);
    if (info.st_size > maxLength) return MakeError(ErrorCode::Io, "the file is too large", path);
    std::vector<uint8_t> bytes;
    // Room for the final empty read too, so the buffer is never moved (key material and
    // plain data would be left behind in the freed copy).
    bytes.reserve(static_cast<size_t>(info.st_size) + kReadChunk);
    // Read to the end rather than trusting st_size: the file may change while it is read.
    for (;;) {
        const size_t old = bytes.size();
        bytes.resize(old + kReadChunk);
        const ssize_t got = ::read(fd->get(), bytes.data() + old, kReadChunk);
        bytes.resize(old + static_cast<size_t>(got > 0 ? got : 0));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return IoError(path, errno);
        if (got == 0) break;
        if (static_cast<int64_t>(bytes.size()) > maxLength)
            return MakeError(ErrorCode::Io, "the file is too large", path);
    }
    return bytes;
}

Status ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts,
                       unsigned newFileMode) {
    const std::string target = ResolvedPath(path);
    std::string temporary;
    auto fd = CreateFileBeside(target, newFileMode, temporary);
    if (!fd) return fd.error();
    Status status;
    for (const auto& part : parts) {
        if (status) status = WriteAll(fd->get(), part.data(), part.size(), path);
    }
    if (status && ::fsync(fd->get()) != 0) status = IoError(path, errno);
    if (status && ::close(fd->release()) != 0) status = IoError(path, errno);
    if (status) status = RenameOnto(temporary, target);
    if (!status) ::unlink(temporary.c_str());
    return status;
}

}  // namespace tarnwerk
