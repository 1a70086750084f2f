#include "crypto/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "crypto/SystemRandom.h"

namespace tarnwerk {

namespace {

constexpr int kScratchNameAttempts = 16;
constexpr std::size_t kReadChunk = std::size_t{1} << 20;

Error SystemError(const std::string& what, const std::string& path, int number) {
    return MakeError(ErrorCode::Io, what + ": " + std::strerror(number), path, number);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::string ScratchNameFor(const std::string& path) {
    uint32_t tag;
    FillSystemRandom(&tag, sizeof tag);
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x~", tag);
    return path + suffix;
}

Status WriteAll(int fd, const uint8_t* data, std::size_t size, const std::string& path) {
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return SystemError("cannot write", path, errno);
        }
        written += static_cast<std::size_t>(n);
    }
    return {};
}

}  // namespace

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return SystemError("cannot open", path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return SystemError("cannot read", path, errno);
    if (!S_ISREG(info.st_mode)) return MakeError(ErrorCode::Io, "not a regular file", path);
    std::vector<uint8_t> content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    // Read to the end rather than trusting st_size: the file may change while it is read.
    for (;;) {
        const std::size_t old = content.size();
        content.resize(old + kReadChunk);
        const ssize_t n = ::read(fd.get(), content.data() + old, kReadChunk);
        if (n < 0 && errno == EINTR) {
            content.resize(old);
            continue;
        }
        if (n < 0) return SystemError("cannot read", path, errno);
        content.resize(old + static_cast<std::size_t>(n));
        if (n == 0) break;
    }
    content.shrink_to_fit();
    return content;
}

Status ReplaceFileContent(const std::string& path, const uint8_t* data, std::size_t size) {
    std::string scratch;
    int raw = -1;
    for (int attempt = 0; attempt < kScratchNameAttempts && raw < 0; ++attempt) {
        scratch = ScratchNameFor(path);
        raw = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST) return SystemError("cannot create", path, errno);
    }
    if (raw < 0) return SystemError("cannot create", path, EEXIST);
    FileDescriptor fd(raw);
    Status written = WriteAll(fd.get(), data, size, path);
    if (written && ::fsync(fd.get()) != 0) written = SystemError("cannot write", path, errno);
    if (written && ::close(fd.release()) != 0) written = SystemError("cannot write", path, errno);
    if (written && ::rename(scratch.c_str(), path.c_str()) != 0) written = SystemError("cannot replace", path, errno);
    if (!written) ::unlink(scratch.c_str());
    return written;
}

}  // namespace tarnwerk
