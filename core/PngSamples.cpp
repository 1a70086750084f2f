#include "core/PngSamples.h"

#include <fcntl.h>

#include "core/PngArea.h"
#include "core/PngDecoder.h"
#include "core/PngWriter.h"

namespace tarnwerk {

PngSamples::PngSamples(UniqueFd fd, std::string path, PngLayout png, PngSampleLayout layout)
    : fd_(std::move(fd)), path_(std::move(path)), png_(std::move(png)), layout_(layout) {}

Result<PngSamples> PngSamples::Load(const std::string& path) {
    auto fd = OpenFile(path, O_RDONLY);
    if (!fd) return fd.error();
    auto png = ReadPngLayout(fd->get(), path);
    if (!png) return png.error();
    PngSampleLayout layout;
    if (png->header.colourType == static_cast<uint8_t>(PngColourType::Palette) ||
        !MakePngSampleLayout(png->header, layout) || !WithinPngLimits(png->header) ||
        uint64_t{layout.RowBytes()} * layout.height > kMaxWholePictureBytes)
        return MakeError(ErrorCode::CarrierRefused, "not an 8- or 16-bit grey or colour picture of a usable size",
                         path);
    auto decoder = PngDecoder::Open(fd->get(), *png, path);
    if (!decoder) return decoder.error();
    PngSamples samples(std::move(*fd), path, std::move(*png), layout);
    if (auto decoded = decoder->WholeImage(samples.picture_); !decoded) return decoded.error();
    return samples;
}

size_t PngSamples::Offset(int32_t channel, int32_t y, int32_t x) const {
    const auto pixel = static_cast<size_t>(layout_.channels * layout_.bytesPerSample);
    return static_cast<size_t>(y) * layout_.RowBytes() + static_cast<size_t>(x) * pixel +
           static_cast<size_t>(channel * layout_.bytesPerSample);
}

uint16_t PngSamples::Get(int32_t channel, int32_t y, int32_t x) const {
    const uint8_t* at = picture_.data() + Offset(channel, y, x);
    return layout_.bytesPerSample == 2 ? static_cast<uint16_t>(at[0] << 8 | at[1]) : at[0];
}

void PngSamples::Set(int32_t channel, int32_t y, int32_t x, uint16_t value) {
    uint8_t* at = picture_.data() + Offset(channel, y, x);
    if (layout_.bytesPerSample == 2) *at++ = static_cast<uint8_t>(value >> 8);
    *at = static_cast<uint8_t>(value);
}

Status PngSamples::Save(const std::string& target) const {
    auto writer = PngWriter::Create(fd_.get(), path_, png_, target);
    if (!writer) return writer.error();
    if (auto put = writer->PutImage(picture_); !put) return put;
    return writer->Commit();
}

}  // namespace tarnwerk
