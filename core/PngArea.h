// The carrier area of a PNG picture: one byte per colour sample, decoded row by row, so memory
// stays a few rows whatever the picture's size. A read before the rows kept restarts decoding
// from the top (the probes of extraction go back only within the first rows). For a hide, the
// rows the engine has passed are encoded at once into the new file, the rest follow at
// Finish(), which then renames the new file onto its name.
//
// Interlaced (Adam7) pictures store every row in seven passes, so they are decoded and
// encoded whole; kMaxWholePictureBytes bounds what that may take.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "base/FileIo.h"
#include "core/CarrierArea.h"
#include "core/PngDecoder.h"
#include "core/PngWriter.h"

namespace tarnwerk {

inline constexpr uint64_t kMaxWholePictureBytes = uint64_t{512} << 20;

class PngArea : public CarrierArea {
public:
    static Result<std::unique_ptr<CarrierArea>> OpenForReading(const CarrierFacts& carrier);
    static Result<std::unique_ptr<CarrierArea>> OpenForHide(const CarrierFacts& carrier, const std::string& target);

    int64_t Length() const override { return static_cast<int64_t>(samples_.AreaBytes()); }
    Status Read(int64_t offset, uint8_t* out, size_t count) override;
    Status Write(int64_t offset, const uint8_t* in, size_t count) override;
    Status Finish() override;

private:
    PngArea(UniqueFd fd, std::string path, PngLayout layout, PngSampleLayout samples);
    static Result<std::unique_ptr<PngArea>> Open(const CarrierFacts& carrier, bool exclusive);

    Status Restart();
    Status Keep(uint32_t firstRow, uint32_t lastRow);
    uint8_t* Row(uint32_t row);
    bool Interlaced() const { return layout_.header.interlace != 0; }
    template <class Visit>
    Status ForRows(int64_t offset, size_t count, Visit visit);

    UniqueFd fd_;
    std::string path_;
    PngLayout layout_;
    PngSampleLayout samples_;
    std::optional<PngDecoder> decoder_;
    std::optional<PngWriter> writer_;  // hides only
    // Rows firstRow_ .. nextRow_ - 1 as stored; an interlaced picture's rows all in picture_.
    std::deque<std::vector<uint8_t>> rows_;
    std::vector<uint8_t> picture_;
    uint32_t firstRow_ = 0;
    uint32_t nextRow_ = 0;
};

}  // namespace tarnwerk
