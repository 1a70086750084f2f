// Thin POSIX file access shared by every layer: an owning descriptor, whole-range reads and
// writes that retry on short transfers, advisory locks, whole-file reads, replacement of a
// file that never leaves it truncated, and errors that carry errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"

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

// Opens for reading without ever waiting in open(): a FIFO without a writer would block it.
// The descriptor blocks again afterwards, so a slow writer is waited for while reading; a
// FIFO nobody writes to reads as empty.
Result<UniqueFd> OpenForReading(const std::string& path);

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

// Which kinds of file a whole-file read accepts; a device such as /dev/zero never ends.
enum class FileKinds { Regular, RegularOrPipe };

// The bytes of a file, read to its end; Io error when it cannot be read, is of another kind
// (number EINVAL) or is longer than maxLength (number EFBIG).
Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path,
                                           int64_t maxLength = std::numeric_limits<int64_t>::max(),
                                           FileKinds kinds = FileKinds::Regular);

// Copies a whole file in pieces; the target exists already and is truncated.
Status CopyWholeFile(const std::string& from, const std::string& to);

// The path with symbolic links resolved; the path itself when it does not exist yet.
std::string ResolvedPath(const std::string& path);

// A fresh random name ".<name>.XXXXXX" in target's folder (not created).
std::string HiddenNameBeside(const std::string& target);
// How many hidden names a creation tries before it gives up (each collision is another file).
inline constexpr int kHiddenNameAttempts = 32;

// A new, empty, hidden file ".<name>.XXXXXX" beside target, created exclusively so that the
// final rename stays within one file system; its name goes to path. It takes an existing
// target's permissions, else newFileMode (narrowed by the umask).
Result<UniqueFd> CreateFileBeside(const std::string& target, unsigned newFileMode, std::string& path);

// Renames file onto target. The blocks of a file it replaces are freed on a thread of its
// own: for a large file that takes long enough to freeze a window.
Status RenameOnto(const std::string& file, const std::string& target);

// Gives path the content that write puts through the descriptor (an empty file, open for
// writing), for content that is made piece by piece. A named path goes through an
// AtomicOutput, so a failure never leaves a truncated file or removes the old one (and leaves
// no temporary file). A symbolic link is followed, so the link survives; the new file takes
// the old one's permissions, or newFileMode (narrowed by the umask) when there was none. A
// scratch file, reached by its /proc path, has no name to protect and is written in place.
using FileWriter = std::function<Status(int fd)>;
Status ReplaceFileBy(const std::string& path, const FileWriter& write, unsigned newFileMode = 0666);

// The same for content that is at hand: the parts one after the other.
Status ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts,
                       unsigned newFileMode = 0666);

}  // namespace tarnwerk
