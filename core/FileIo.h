// Thin POSIX file access for the engine: an owning descriptor, whole-range reads and writes
// that retry on short transfers, advisory locks, and errors that carry errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/Result.h"

namespace tarnwerk {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    ~UniqueFd();

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();

private:
    int fd_ = -1;
};

// Io error for the current errno (or the given number), with its system description.
Error IoError(const std::string& path, int number);

// Opens with open(2) flags; Io error with errno on failure.
Result<UniqueFd> OpenFile(const std::string& path, int flags, unsigned mode = 0);

// Takes a non-blocking flock; CarrierBusy when another open file holds a conflicting lock.
Status LockFile(int fd, bool exclusive, const std::string& path);

Result<int64_t> FileLength(int fd, const std::string& path);

// Reads exactly size bytes at offset; a file that ends early is an Io error.
Status ReadAt(int fd, uint8_t* data, size_t size, int64_t offset, const std::string& path);
Status WriteAt(int fd, const uint8_t* data, size_t size, int64_t offset, const std::string& path);
// Sequential variants on the file position.
Status ReadExactly(int fd, uint8_t* data, size_t size, const std::string& path);
Status WriteAll(int fd, const uint8_t* data, size_t size, const std::string& path);

}  // namespace tarnwerk
