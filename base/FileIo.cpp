#include "base/FileIo.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>
#include <thread>

#include "base/AtomicOutput.h"

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

Error IoError(const std::string& path, int number) { return MakeError(ErrorCode::Io, path, number); }

Result<UniqueFd> OpenFile(const std::string& path, int flags, unsigned mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return IoError(path, errno);
    return UniqueFd(fd);
}

Result<UniqueFd> OpenForReading(const std::string& path) {
    auto fd = OpenFile(path, O_RDONLY | O_NONBLOCK);
    if (!fd) return fd;
    const int flags = ::fcntl(fd->get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd->get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return IoError(path, errno);
    return fd;
}

Status LockFile(int fd, bool exclusive, const std::string& path) {
    const int operation = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return {};
    if (errno == EWOULDBLOCK) return MakeError(ErrorCode::CarrierBusy, path, errno);
    return IoError(path, errno);
}

Result<int64_t> FileLength(int fd, const std::string& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return IoError(path, errno);
    return static_cast<int64_t>(info.st_size);
}

namespace {

// A read that hits the end of the file before the range is complete.
Error UnexpectedEnd(const std::string& path) { return MakeError(ErrorCode::FileEndedEarly, path); }

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

namespace {

constexpr size_t kReadChunk = size_t{64} << 10;
constexpr size_t kCopyChunk = size_t{1} << 20;
constexpr int kSuffixLength = 6;

std::string RandomSuffix() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random(std::random_device{}());
    std::string suffix;
    for (int i = 0; i < kSuffixLength; ++i) suffix += kAlphabet[random() % (sizeof(kAlphabet) - 1)];
    return suffix;
}

bool IsKind(const struct stat& info, FileKinds kinds) {
    return S_ISREG(info.st_mode) || (kinds == FileKinds::RegularOrPipe && S_ISFIFO(info.st_mode));
}

// A file that has no name (a scratch file reached by its /proc path).
bool IsUnnamedFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 0;
}

Status WriteInPlace(const std::string& path, const FileWriter& write) {
    auto fd = OpenFile(path, O_WRONLY | O_TRUNC);
    if (!fd) return fd.error();
    if (Status written = write(fd->get()); !written) return written;
    if (::close(fd->release()) != 0) return IoError(path, errno);  // a delayed write error
    return {};
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

std::string ResolvedPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::string HiddenNameBeside(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + RandomSuffix();
}

Result<UniqueFd> CreateFileBeside(const std::string& target, unsigned newFileMode, std::string& path) {
    for (int attempt = 0; attempt < kHiddenNameAttempts; ++attempt) {
        path = HiddenNameBeside(target);
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

namespace {

// How long a named pipe may wait for the program that writes into it. A pipe read before its
// writer has opened it reads as empty, which would pass for an empty passphrase or settings.
constexpr int kPipeWriterWaitMs = 5000;

Status WaitForPipeData(int fd, const std::string& path) {
    pollfd watch{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&watch, 1, kPipeWriterWaitMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return IoError(path, errno);
    if (ready == 0) return MakeError(ErrorCode::Io, path, ENODATA);
    return {};
}

}  // namespace

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path, int64_t maxLength, FileKinds kinds) {
    auto fd = OpenForReading(path);
    if (!fd) return fd.error();
    struct stat info {};
    if (::fstat(fd->get(), &info) != 0) return IoError(path, errno);
    if (!IsKind(info, kinds)) return MakeError(ErrorCode::NotRegularFile, path);
    if (info.st_size > maxLength) return MakeError(ErrorCode::Io, path, EFBIG);
    if (S_ISFIFO(info.st_mode))
        if (Status waited = WaitForPipeData(fd->get(), path); !waited) return waited.error();
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
        if (static_cast<int64_t>(bytes.size()) > maxLength) return MakeError(ErrorCode::Io, path, EFBIG);
    }
    return bytes;
}

Status ReplaceFileBy(const std::string& path, const FileWriter& write, unsigned newFileMode) {
    if (IsUnnamedFile(path)) return WriteInPlace(path, write);
    auto output = AtomicOutput::Create(path, newFileMode);
    if (!output) return output.error();
    if (Status written = write(output->content().fd()); !written) return written;
    return output->Commit();
}

Status ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts,
                       unsigned newFileMode) {
    const FileWriter writeParts = [&](int fd) -> Status {
        for (const auto& part : parts)
            if (Status written = WriteAll(fd, part.data(), part.size(), path); !written) return written;
        return {};
    };
    return ReplaceFileBy(path, writeParts, newFileMode);
}

Status CopyWholeFile(const std::string& from, const std::string& to) {
    auto in = OpenForReading(from);
    if (!in) return in.error();
    auto out = OpenFile(to, O_WRONLY | O_TRUNC);
    if (!out) return out.error();
    std::vector<uint8_t> buffer(kCopyChunk);
    for (;;) {
        const ssize_t n = ::read(in->get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return IoError(from, errno);
        if (n == 0) break;
        if (Status written = WriteAll(out->get(), buffer.data(), static_cast<size_t>(n), to); !written) return written;
    }
    if (::close(out->release()) != 0) return IoError(to, errno);  // a delayed write error
    return {};
}

}  // namespace tarnwerk
