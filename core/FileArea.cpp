#include "core/FileArea.h"

#include <fcntl.h>

#include <algorithm>
#include <vector>

namespace tarnwerk {

namespace {

constexpr size_t kCopyBlock = 1 << 20;

Status CopyWholeFile(int from, const std::string& fromPath, ReplacingOutput& to, int64_t length) {
    std::vector<uint8_t> block(static_cast<size_t>(std::min<int64_t>(length, kCopyBlock)));
    for (int64_t at = 0; at < length;) {
        const auto part = static_cast<size_t>(std::min<int64_t>(length - at, kCopyBlock));
        if (auto read = ReadAt(from, block.data(), part, at, fromPath); !read) return read;
        if (auto written = to.Write(block.data(), part); !written) return written;
        at += static_cast<int64_t>(part);
    }
    return {};
}

}  // namespace

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
    if (!outputPath.empty()) {
        auto copy = ReplacingOutput::Create(ResolvedPath(outputPath));
        if (!copy) return copy.error();
        if (auto copied = CopyWholeFile(area->fd_.get(), area->path_, *copy, *length); !copied) return copied.error();
        area->copy_.emplace(std::move(*copy));
    }
    return std::unique_ptr<CarrierArea>(std::move(area));
}

Status FileArea::Read(int64_t offset, uint8_t* out, size_t count) {
    return ReadAt(fd_.get(), out, count, dataOffset_ + offset, path_);
}

Status FileArea::Write(int64_t offset, const uint8_t* in, size_t count) {
    if (copy_) return WriteAt(copy_->descriptor(), in, count, dataOffset_ + offset, copy_->temporaryPath());
    return WriteAt(fd_.get(), in, count, dataOffset_ + offset, path_);
}

Status FileArea::Finish() {
    if (!copy_) return {};
    if (auto synced = copy_->Sync(); !synced) return synced;
    return copy_->Commit();
}

}  // namespace tarnwerk
