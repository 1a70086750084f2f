#include "base/ScratchFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tarnwerk {
namespace {

constexpr unsigned kPrivateMode = 0600;
constexpr const char* kFallbackFolder = "/tmp";

bool FolderRefusesFiles(int number) { return number == EACCES || number == EPERM || number == EROFS; }

// O_TMPFILE is missing from the kernel or the file system.
bool NoUnnamedFiles(int number) {
    return number == EOPNOTSUPP || number == EISDIR || number == EINVAL || number == ENOENT;
}

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

Result<UniqueFd> OpenUnnamed(const std::string& folder) { return OpenFile(folder, O_TMPFILE | O_RDWR, kPrivateMode); }

}  // namespace

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

ScratchFile::ScratchFile(UniqueFd fd, std::string path, std::string name, std::string beside)
    : fd_(std::move(fd)), path_(std::move(path)), beside_(std::move(beside)), name_(std::move(name)) {
    if (!name_.empty()) pending_ = std::make_unique<PendingName>(name_);
}

Result<ScratchFile> ScratchFile::CreateBeside(const std::string& path) {
    auto unnamed = OpenUnnamed(FolderOf(path));
    if (unnamed) {
        const int fd = unnamed->get();
        return ScratchFile(std::move(*unnamed), ProcPath(fd), {}, path);
    }
    if (!NoUnnamedFiles(unnamed.error().number)) return IoError(path, unnamed.error().number);
    std::string name;
    auto named = CreateFileBeside(path, kPrivateMode, name);
    if (!named) return named.error();
    ::fchmod(named->get(), kPrivateMode);  // never an existing file's wider mode
    const std::string reach = ProcPath(named->get());
    if (::access(reach.c_str(), R_OK | W_OK) == 0 && ::unlink(name.c_str()) == 0)
        return ScratchFile(std::move(*named), reach, {}, path);
    return ScratchFile(std::move(*named), name, name, path);  // no /proc: the name has to stay
}

Result<ScratchFile> ScratchFile::CreateBesideOrInTemp(const std::string& path) {
    Result<ScratchFile> beside = CreateBeside(path);
    if (beside || !FolderRefusesFiles(beside.error().number)) return beside;
    const char* configured = std::getenv("TMPDIR");
    const std::string folder = configured && *configured ? configured : kFallbackFolder;
    const size_t slash = path.find_last_of('/');
    return CreateBeside(folder + "/" + (slash == std::string::npos ? path : path.substr(slash + 1)));
}

ScratchFile::ScratchFile(ScratchFile&& other) noexcept
    : fd_(std::move(other.fd_)),
      path_(std::move(other.path_)),
      beside_(std::move(other.beside_)),
      name_(std::move(other.name_)),
      pending_(std::move(other.pending_)) {
    other.name_.clear();
}

ScratchFile& ScratchFile::operator=(ScratchFile&& other) noexcept {
    if (this != &other) {
        Remove();
        fd_ = std::move(other.fd_);
        path_ = std::move(other.path_);
        beside_ = std::move(other.beside_);
        name_ = std::move(other.name_);
        pending_ = std::move(other.pending_);
        other.name_.clear();
    }
    return *this;
}

ScratchFile::~ScratchFile() { Remove(); }

void ScratchFile::Remove() {
    if (!name_.empty()) ::unlink(name_.c_str());
    name_.clear();
    pending_.reset();
    fd_ = UniqueFd();  // the last reference: the system frees the data
}

}  // namespace tarnwerk
