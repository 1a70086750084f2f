#include "compression/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace tarnwerk {

namespace {

constexpr unsigned kNewFileMode = 0666;  // narrowed by the umask like any new file
constexpr int kNameAttempts = 32;
constexpr int kSuffixLength = 6;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // close() may report a delayed write error.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool ReadAll(int fd, uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t got = ::read(fd, data, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        data += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

// ".<name>.XXXXXX" in the target's folder, so the rename stays within one file system.
std::string TemporaryName(const std::string& path, std::mt19937& random) {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string result = folder + "." + name + ".";
    for (int i = 0; i < kSuffixLength; ++i) result += kAlphabet[random() % (sizeof(kAlphabet) - 1)];
    return result;
}

// Created exclusively (never an existing file), with the permissions of any new file.
int CreateTemporary(const std::string& path, std::string& temporary) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryName(path, random);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, int64_t maxLength) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxLength) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    if (!ReadAll(fd.get(), bytes.data(), bytes.size())) return std::nullopt;
    return bytes;
}

bool ReplaceFileWith(const std::string& path, const std::vector<const std::vector<uint8_t>*>& parts) {
    std::string temporary;
    Descriptor fd(CreateTemporary(path, temporary));
    if (fd.get() < 0) return false;
    bool ok = true;
    for (const auto* part : parts) ok = ok && WriteAll(fd.get(), part->data(), part->size());
    ok = fd.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace tarnwerk
