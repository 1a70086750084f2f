// Thin POSIX file access shared by every layer: an owning descriptor, whole-range reads and
// writes that retry on short transfers, advisory locks, whole-file reads, replacement of a
// file that never leaves it truncated, and errors that carry errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <span>
#include <string>
#include <vector>

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

// Something (file, folder, ...) exists at the path.
bool PathExists(const std::string& path);

// The bytes of a regular file, read to its end; Io error when it cannot be read, is no
// regular file or is longer than maxLength.
Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path,
                                           int64_t maxLength = std::numeric_limits<int64_t>::max());

// A new, empty, hidden file ".<name>.XXXXXX" beside target, created exclusively so that the
// final rename stays within one file system; its name goes to path. It takes an existing
// target's permissions, else newFileMode (narrowed by the umask).
Result<UniqueFd> CreateFileBeside(const std::string& target, unsigned newFileMode, std::string& path);

// The path with symbolic links resolved; the path itself when it does not exist yet. A file
// replaced through its resolved path leaves a link to it in place.
std::string ResolvedPath(const std::string& path);

// Renames file onto target. The blocks of a file it replaces are freed on a thread of its
// own: for a large file that takes long enough to freeze a window.
Status RenameOnto(const std::string& file, const std::string& target);

// Writes the parts one after the other to a new file beside path, flushes it and renames it
// onto path, so a failure never leaves a truncated file or removes the old one (and leaves no
// temporary file). A symbolic link is followed, so the link survives; the new file takes the
// old one's permissions, or newFileMode (narrowed by the umask) when there was none.
Status ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts,
                       unsigned newFileMode = 0666);

}  // namespace tarnwerk
