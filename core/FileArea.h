// The carrier area of a bitmap or RAW file: the file's bytes from the data offset on, changed
// in place, or in a scratch copy that gets a new file's name at the end.
#pragma once

#include <optional>

#include "base/AtomicOutput.h"
#include "base/FileIo.h"
#include "core/CarrierArea.h"

namespace tarnwerk {

class FileArea : public CarrierArea {
public:
    static Result<std::unique_ptr<CarrierArea>> OpenForReading(const CarrierFacts& carrier);
    // Errors besides the file's own: CarrierShrank from Read and Write when the file written
    // into became shorter than the area meanwhile (another process ignoring the lock).
    static Result<std::unique_ptr<CarrierArea>> OpenForHide(const CarrierFacts& carrier, const std::string& outputPath);

    int64_t Length() const override { return areaEnd_ - dataOffset_; }
    Status Read(int64_t offset, uint8_t* out, size_t count) override;
    Status Write(int64_t offset, const uint8_t* in, size_t count) override;
    Status Finish() override;

private:
    FileArea(UniqueFd fd, const CarrierFacts& carrier, int64_t fileLength);

    // The file the stream goes to: the carrier, or the copy when the carrier is kept.
    int TargetFd() { return copy_ ? copy_->content().fd() : fd_.get(); }
    const std::string& TargetPath() const { return copy_ ? copy_->target() : path_; }
    Status CheckNotShrunk(int64_t neededEnd);

    UniqueFd fd_;  // the carrier, locked
    std::string path_;
    int64_t dataOffset_ = 0;
    int64_t areaEnd_ = 0;
    bool hiding_ = false;
    std::optional<AtomicOutput> copy_;  // the new file when the carrier is kept
};

}  // namespace tarnwerk
