// The carrier area of a bitmap or RAW file: the file's bytes from the data offset on, changed
// in place, or in a scratch copy beside a new file's name that is renamed onto it at the end.
#pragma once

#include <optional>

#include "config/FileIo.h"
#include "core/CarrierArea.h"
#include "core/ReplacingOutput.h"

namespace tarnwerk {

class FileArea : public CarrierArea {
public:
    static Result<std::unique_ptr<CarrierArea>> OpenForReading(const CarrierFacts& carrier);
    static Result<std::unique_ptr<CarrierArea>> OpenForHide(const CarrierFacts& carrier, const std::string& outputPath);

    int64_t Length() const override { return areaEnd_ - dataOffset_; }
    Status Read(int64_t offset, uint8_t* out, size_t count) override;
    Status Write(int64_t offset, const uint8_t* in, size_t count) override;
    Status Finish() override;

private:
    FileArea(UniqueFd fd, const CarrierFacts& carrier, int64_t fileLength);

    UniqueFd fd_;  // the carrier, locked
    std::string path_;
    int64_t dataOffset_ = 0;
    int64_t areaEnd_ = 0;
    std::optional<ReplacingOutput> copy_;  // the new file when the carrier is kept
};

}  // namespace tarnwerk
