#include "app/ScratchFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "config/FileIo.h"

namespace tarnwerk {
namespace {

constexpr int kMaxAlternativeNames = 999;
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

constexpr const char* kFallbackFolder = "/tmp";

bool FolderRefusesFiles(int number) { return number == EACCES || number == EPERM || number == EROFS; }

}  // namespace

Result<ScratchFile> ScratchFile::Create(const std::string& base, const std::string& suffix) {
    for (int n = 0; n <= kMaxAlternativeNames; ++n) {
        const std::string path = n == 0 ? base + suffix : base + "." + std::to_string(n) + suffix;
        auto fd = OpenFile(path, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd) return ScratchFile(path, base);
        if (fd.error().number != EEXIST) return fd.error();
    }
    return IoError(base + suffix, EEXIST);
}

Result<ScratchFile> ScratchFile::CreateWritable(const std::string& base, const std::string& suffix) {
    Result<ScratchFile> beside = Create(base, suffix);
    if (beside || !FolderRefusesFiles(beside.error().number)) return beside;
    const char* configured = std::getenv("TMPDIR");
    const std::string folder = configured && *configured ? configured : kFallbackFolder;
    const std::size_t slash = base.find_last_of('/');
    return Create(folder + "/" + (slash == std::string::npos ? base : base.substr(slash + 1)), suffix);
}

ScratchFile::ScratchFile(ScratchFile&& other) noexcept
    : path_(std::move(other.path_)), base_(std::move(other.base_)), detachedFd_(other.detachedFd_) {
    other.path_.clear();
    other.detachedFd_ = -1;
}

ScratchFile& ScratchFile::operator=(ScratchFile&& other) noexcept {
    if (this != &other) {
        Remove();
        path_ = std::move(other.path_);
        base_ = std::move(other.base_);
        detachedFd_ = other.detachedFd_;
        other.path_.clear();
        other.detachedFd_ = -1;
    }
    return *this;
}

ScratchFile::~ScratchFile() { Remove(); }

void ScratchFile::Remove() {
    if (detachedFd_ >= 0) {
        close(detachedFd_);  // the name is gone already; this frees the data
        detachedFd_ = -1;
    } else if (!path_.empty()) {
        unlink(path_.c_str());
    }
    path_.clear();
}

std::string ScratchFile::DetachName() {
    if (detachedFd_ >= 0 || path_.empty()) return path_;
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return path_;
    const std::string reach = "/proc/self/fd/" + std::to_string(fd);
    if (access(reach.c_str(), R_OK) != 0 || unlink(path_.c_str()) != 0) {
        close(fd);
        return path_;
    }
    detachedFd_ = fd;
    path_ = reach;
    return path_;
}

Status ScratchFile::MoveOnto(const std::string& target) {
    if (detachedFd_ >= 0) return MakeError(ErrorCode::Internal, "a detached scratch file has no name to move");
    if (rename(path_.c_str(), target.c_str()) != 0) return IoError(target, errno);
    path_.clear();
    return {};
}

Status CopyWholeFile(const std::string& from, const std::string& to) {
    auto in = OpenFile(from, O_RDONLY);
    if (!in) return in.error();
    auto out = OpenFile(to, O_WRONLY | O_TRUNC);
    if (!out) return out.error();
    std::vector<uint8_t> buffer(kCopyChunk);
    for (;;) {
        const ssize_t n = read(in->get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return IoError(from, errno);
        if (n == 0) break;
        if (Status written = WriteAll(out->get(), buffer.data(), static_cast<size_t>(n), to); !written) return written;
    }
    if (close(out->release()) != 0) return IoError(to, errno);  // a delayed write error
    return {};
}

}  // namespace tarnwerk
