#include "core/ReplacingOutput.h"

#include <unistd.h>

#include <cerrno>

namespace tarnwerk {

namespace {

constexpr unsigned kNewFileMode = 0666;  // narrowed by the umask like any new file

}  // namespace

ReplacingOutput::ReplacingOutput(std::string targetPath, std::string temporaryPath, UniqueFd fd)
    : targetPath_(std::move(targetPath)), temporaryPath_(std::move(temporaryPath)), fd_(std::move(fd)) {}

ReplacingOutput::ReplacingOutput(ReplacingOutput&& other) noexcept
    : targetPath_(std::move(other.targetPath_)),
      temporaryPath_(std::move(other.temporaryPath_)),
      fd_(std::move(other.fd_)),
      written_(other.written_),
      committed_(other.committed_) {
    other.committed_ = true;  // the moved-from object owns no file any more
}

ReplacingOutput::~ReplacingOutput() { Discard(); }

Result<ReplacingOutput> ReplacingOutput::Create(const std::string& targetPath) {
    std::string temporary;
    auto fd = CreateFileBeside(targetPath, kNewFileMode, temporary);
    if (!fd) return fd.error();
    return ReplacingOutput(targetPath, std::move(temporary), std::move(*fd));
}

Status ReplacingOutput::Write(const uint8_t* data, size_t size) {
    auto status = WriteAll(fd_.get(), data, size, targetPath_);
    if (status) written_ += static_cast<int64_t>(size);
    return status;
}

Status ReplacingOutput::Sync() {
    if (::fsync(fd_.get()) != 0) return IoError(targetPath_, errno);
    return {};
}

Status ReplacingOutput::Commit() {
    // close() can report a delayed write error; the file is not complete then.
    const int fd = fd_.release();
    if (::close(fd) != 0) return IoError(targetPath_, errno);
    if (auto renamed = RenameOnto(temporaryPath_, targetPath_); !renamed) return renamed;
    committed_ = true;
    return {};
}

void ReplacingOutput::Discard() {
    if (committed_) return;
    fd_ = UniqueFd();
    ::unlink(temporaryPath_.c_str());
    committed_ = true;
}

}  // namespace tarnwerk
