// A file the user owns, replaced in one step: the new content grows in a scratch file beside
// the target and gets the target's name only when it is complete. Until then an existing file
// of that name is untouched; an output that is dropped without Commit leaves nothing behind.
// A symbolic link is followed, so the link survives. A new file gets the mode any new file
// gets (0666 less the umask), a replaced one keeps the mode of the file it replaces.
#pragma once

#include <string>

#include "base/Result.h"
#include "base/ScratchFile.h"

namespace tarnwerk {

class AtomicOutput {
public:
    enum class Existing { Replace, Keep };  // Keep: fail with EEXIST rather than replace

    // newFileMode applies when the target does not exist yet (narrowed by the umask).
    static Result<AtomicOutput> Create(const std::string& target, unsigned newFileMode = 0666);

    // The file the content is written to, by descriptor or by path.
    ScratchFile& content() { return content_; }
    // Puts another scratch file in place of the content (the next stage of a pipeline).
    void Take(ScratchFile next) { content_ = std::move(next); }
    const std::string& target() const { return target_; }

    // Gives the content the target's name. Afterwards the output holds no file.
    Status Commit(Existing existing = Existing::Replace);

private:
    AtomicOutput(std::string target, ScratchFile content, unsigned newFileMode)
        : target_(std::move(target)), content_(std::move(content)), newFileMode_(newFileMode) {}

    std::string target_;
    ScratchFile content_;
    unsigned newFileMode_;
};

// NotRegularFile when path exists and is no regular file (a FIFO, a device, a folder): such a
// node is never replaced by a file. A missing path is fine.
Status CheckReplaceable(const std::string& path);

// Both paths name the same existing file (device and inode), whatever their spelling.
bool IsSameFile(const std::string& a, const std::string& b);

// The mode bits a file created with mode gets: mode less the process's umask.
unsigned NarrowedByUmask(unsigned mode);

}  // namespace tarnwerk
