// An output file that appears under its name only when it is complete: the bytes go to a
// hidden temporary file in the same folder, which is renamed onto the target on Commit().
// Until then an existing file of that name is untouched; a dropped object removes its
// temporary file, so a failure leaves nothing behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/Result.h"
#include "config/FileIo.h"

namespace tarnwerk {

class ReplacingOutput {
public:
    static Result<ReplacingOutput> Create(const std::string& targetPath);

    ReplacingOutput(ReplacingOutput&& other) noexcept;
    ReplacingOutput& operator=(ReplacingOutput&&) = delete;
    ReplacingOutput(const ReplacingOutput&) = delete;
    ReplacingOutput& operator=(const ReplacingOutput&) = delete;
    ~ReplacingOutput();

    Status Write(const uint8_t* data, size_t size);
    // Flushes the written bytes to the disk, for a file that replaces one the user owns.
    Status Sync();
    // Closes the temporary file and moves it onto the target.
    Status Commit();

    const std::string& temporaryPath() const { return temporaryPath_; }
    int descriptor() const { return fd_.get(); }  // open for writing only
    int64_t written() const { return written_; }

private:
    ReplacingOutput(std::string targetPath, std::string temporaryPath, UniqueFd fd);
    void Discard();

    std::string targetPath_;
    std::string temporaryPath_;
    UniqueFd fd_;
    int64_t written_ = 0;
    bool committed_ = false;
};

}  // namespace tarnwerk
