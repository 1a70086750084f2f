#include "core/FileArea.h"

#include <fcntl.h>

#include <algorithm>

namespace tarnwerk {

FileArea::FileArea(UniqueFd fd, const CarrierFacts& carrier, int64_t fileLength)
    : fd_(std::move(fd)),
      path_(carrier.path),
      dataOffset_(carrier.dataOffset),
      // A carrier that shrank since it was analysed is used only as far as it still reaches.
      areaEnd_(std::max<int64_t>(carrier.dataOffset, std::min<int64_t>(carrier.fileSize, fileLength))) {}

Result<std::unique_ptr<CarrierArea>> FileArea::OpenForReading(const CarrierFacts& carrier) {
    auto fd = OpenFile(carrier.path, O_RDONLY);
    if (!fd) return fd.error();
    if (auto locked = LockFile(fd->get(), false, carrier.path); !locked) return locked.error();
    auto length = FileLength(fd->get(), carrier.path);
    if (!length) return length.error();
    return std::unique_ptr<CarrierArea>(new FileArea(std::move(*fd), carrier, *length));
}

Result<std::unique_ptr<CarrierArea>> FileArea::OpenForHide(const CarrierFacts& carrier, const std::string& outputPath) {
    auto fd = OpenFile(carrier.path, outputPath.empty() ? O_RDWR : O_RDONLY);
    if (!fd) return fd.error();
    if (auto locked = LockFile(fd->get(), true, carrier.path); !locked) return locked.error();
    auto length = FileLength(fd->get(), carrier.path);
    if (!length) return length.error();
    std::unique_ptr<FileArea> area(new FileArea(std::move(*fd), carrier, *length));
    area->hiding_ = true;
    if (!outputPath.empty()) {
        auto copy = AtomicOutput::Create(outputPath);
        if (!copy) return copy.error();
        // The stream is then read from and written into the copy alone.
        if (auto copied = CopyWholeFile(carrier.path, copy->content().path()); !copied) return copied.error();
        area->copy_.emplace(std::move(*copy));
    }
    return std::unique_ptr<CarrierArea>(std::move(area));
}

// Another process that ignores the lock may cut the file short while the stream is written.
Status FileArea::CheckNotShrunk(int64_t neededEnd) {
    if (!hiding_) return {};
    auto length = FileLength(TargetFd(), TargetPath());
    if (!length) return length.error();
    if (*length < neededEnd) return MakeError(ErrorCode::CarrierShrank, {}, TargetPath());
    return {};
}

Status FileArea::Read(int64_t offset, uint8_t* out, size_t count) {
    const int64_t at = dataOffset_ + offset;
    if (auto kept = CheckNotShrunk(at + static_cast<int64_t>(count)); !kept) return kept;
    return ReadAt(TargetFd(), out, count, at, TargetPath());
}

Status FileArea::Write(int64_t offset, const uint8_t* in, size_t count) {
    const int64_t at = dataOffset_ + offset;
    // Written past a shortened end, the bytes would grow the file back with a gap of zeros.
    if (auto kept = CheckNotShrunk(at + static_cast<int64_t>(count)); !kept) return kept;
    return WriteAt(TargetFd(), in, count, at, TargetPath());
}

Status FileArea::Finish() {
    if (!copy_) return {};
    return copy_->Commit();
}

}  // namespace tarnwerk
