#include "core/FileIo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

}  // namespace

Status ReadAt(int fd, uint8_t* data, size_t size, int64_t offset, const std::string& path) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            return IoError(path, errno);
        }
        if (got == 0) return UnexpectedEnd(path);
        data += got;
        size -= static_cast<size_t>(got);
        offset += got;
    }
    return {};
}

Status WriteAt(int fd, const uint8_t* data, size_t size, int64_t offset, const std::string& path) {
    while (size > 0) {
        const ssize_t put = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (put < 0) {
            if (errno == EINTR) continue;
            return IoError(path, errno);
        }
        data += put;
        size -= static_cast<size_t>(put);
        offset += put;
    }
    return {};
}

Status ReadExactly(int fd, uint8_t* data, size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t got = ::read(fd, data, size);
        if (got < 0) {
            if (errno == EINTR) continue;
            return IoError(path, errno);
        }
        if (got == 0) return UnexpectedEnd(path);
        data += got;
        size -= static_cast<size_t>(got);
    }
    return {};
}

Status WriteAll(int fd, const uint8_t* data, size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            return IoError(path, errno);
        }
        data += put;
        size -= static_cast<size_t>(put);
    }
    return {};
}

}  // namespace tarnwerk
