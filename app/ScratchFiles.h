// Scratch files beside the data or output file, created exclusively so that a user's own file
// that happens to carry the scratch name is never overwritten or deleted.
#pragma once

#include <string>

#include "config/Result.h"

namespace tarnwerk {

class ScratchFile {
public:
    // "<base><suffix>" (e.g. "a.txt.tmp"); when that name is taken, "<base>.<n><suffix>".
    static Result<ScratchFile> Create(const std::string& base, const std::string& suffix);
    // The same, but when base's folder takes no new files (read-only medium, no permission),
    // the scratch file goes to the temporary folder ($TMPDIR, else /tmp) under base's name, so
    // data on a CD or in a shared folder can still be hidden.
    static Result<ScratchFile> CreateWritable(const std::string& base, const std::string& suffix);

    ScratchFile(ScratchFile&& other) noexcept;
    ScratchFile& operator=(ScratchFile&& other) noexcept;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();  // removes the file unless it was moved onto its target

    const std::string& path() const { return path_; }
    // The base the name was made from: further scratch files of the same step use it too.
    const std::string& base() const { return base_; }

    // Renames the scratch file onto target (same folder, so the switch is atomic). Afterwards
    // this object no longer owns a file.
    Status MoveOnto(const std::string& target);

    // Takes the file's name away while keeping it open, and returns a path that still reaches
    // it ("/proc/self/fd/N"), so a process killed during the long step leaves no scratch file.
    // Where that path does not work, the named file is kept and its path returned.
    std::string DetachName();

private:
    ScratchFile(std::string path, std::string base) : path_(std::move(path)), base_(std::move(base)) {}
    void Remove();

    std::string path_;
    std::string base_;
    int detachedFd_ = -1;
};

// Copies a whole file in pieces; the target exists already (a scratch file) and is truncated.
Status CopyWholeFile(const std::string& from, const std::string& to);

}  // namespace tarnwerk
