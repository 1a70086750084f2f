#include "base/AtomicOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <memory>
#include <optional>

#include "base/FileIo.h"
#include "base/PendingNames.h"

namespace tarnwerk {
namespace {

constexpr unsigned kPermissionBits = 07777;

// The process's umask without changing it (reading it with umask() would, for a moment, for
// every thread); the kernel shows it since Linux 4.7.
std::optional<unsigned> UmaskFromProc() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0) return static_cast<unsigned>(std::stoul(line.substr(6), nullptr, 8));
    return std::nullopt;
}

// Links the content to a fresh hidden name beside target. Where the content cannot be
// linked (a scratch file that had to be unlinked, another file system) it is copied there.
Status NameBeside(const ScratchFile& content, const std::string& target, unsigned mode, std::string& name,
                  std::unique_ptr<PendingName>& pending) {
    for (int attempt = 0; attempt < kHiddenNameAttempts; ++attempt) {
        name = HiddenNameBeside(target);
        pending = std::make_unique<PendingName>(name);
        if (::linkat(AT_FDCWD, content.path().c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return {};
        const int error = errno;
        pending.reset();
        name.clear();  // someone else's file, or none
        if (error != EEXIST) break;
    }
    auto copy = CreateFileBeside(target, mode, name);
    if (!copy) {
        name.clear();
        return copy.error();
    }
    pending = std::make_unique<PendingName>(name);
    if (::fchmod(copy->get(), mode) != 0) return IoError(target, errno);
    copy = UniqueFd();
    return CopyWholeFile(content.path(), name);
}

// Gives the linked file the target's name: replacing what is there, or only when nothing is.
Status Place(const std::string& name, const std::string& target, AtomicOutput::Existing existing) {
    if (existing == AtomicOutput::Existing::Replace) return RenameOnto(name, target);
    if (::link(name.c_str(), target.c_str()) != 0) return IoError(target, errno);
    ::unlink(name.c_str());
    return {};
}

}  // namespace

unsigned NarrowedByUmask(unsigned mode) {
    std::optional<unsigned> mask = UmaskFromProc();
    if (!mask) {
        const mode_t current = ::umask(0);
        ::umask(current);
        mask = current;
    }
    return mode & ~*mask & kPermissionBits;
}

Status CheckReplaceable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {};
    return MakeError(ErrorCode::NotRegularFile, path);
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

Result<AtomicOutput> AtomicOutput::Create(const std::string& target, unsigned newFileMode) {
    const std::string resolved = ResolvedPath(target);
    if (Status usable = CheckReplaceable(resolved); !usable) return usable.error();
    auto content = ScratchFile::CreateBeside(resolved);
    if (!content) return content.error();
    return AtomicOutput(resolved, std::move(*content), newFileMode);
}

Status AtomicOutput::Commit(Existing existing) {
    if (Status usable = CheckReplaceable(target_); !usable) return usable;
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && existing == Existing::Keep) return IoError(target_, EEXIST);
    const unsigned mode = exists ? (old.st_mode & kPermissionBits) : NarrowedByUmask(newFileMode_);
    if (::chmod(content_.path().c_str(), static_cast<mode_t>(mode)) != 0) return IoError(target_, errno);
    // The old file goes only when the new one is surely on the disk.
    if (exists && ::fsync(content_.fd()) != 0) return IoError(target_, errno);
    std::string name;
    std::unique_ptr<PendingName> pending;
    Status placed = NameBeside(content_, target_, mode, name, pending);
    if (placed) placed = Place(name, target_, existing);
    if (!placed && !name.empty()) ::unlink(name.c_str());
    return placed;
}

}  // namespace tarnwerk
