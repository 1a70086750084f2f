// Files for data on its way (the data file compressed or encrypted, an extraction not yet
// decrypted) that carry no name while they exist: a crash, a kill or a power cut leaves no
// scratch file and no plaintext behind. Routines that open files by name reach one through
// "/proc/self/fd/N"; AtomicOutput gives the final one its name.
#pragma once

#include <memory>
#include <string>

#include "base/FileIo.h"
#include "base/PendingNames.h"
#include "base/Result.h"

namespace tarnwerk {

class ScratchFile {
public:
    // An empty file in the folder that holds path, opened for reading and writing: O_TMPFILE
    // where the file system has it, else a hidden file unlinked right after its creation.
    static Result<ScratchFile> CreateBeside(const std::string& path);
    // The same, but in the temporary folder ($TMPDIR, else /tmp) when path's folder takes no
    // new files (read-only medium, no permission), so data on a CD can still be hidden.
    static Result<ScratchFile> CreateBesideOrInTemp(const std::string& path);

    ScratchFile(ScratchFile&& other) noexcept;
    ScratchFile& operator=(ScratchFile&& other) noexcept;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();  // frees the data (and removes the name where one had to be kept)

    int fd() const { return fd_.get(); }
    // A path that reaches the file, for routines that take one.
    const std::string& path() const { return path_; }
    // The path it was created beside: further scratch files of the same step go there too.
    const std::string& beside() const { return beside_; }

private:
    ScratchFile(UniqueFd fd, std::string path, std::string name, std::string beside);
    void Remove();

    UniqueFd fd_;
    std::string path_;
    std::string beside_;
    std::string name_;  // only where /proc is missing: the file keeps this name until it goes
    std::unique_ptr<PendingName> pending_;
};

// The folder part of path ("." when there is none), without a trailing slash.
std::string FolderOf(const std::string& path);

}  // namespace tarnwerk
