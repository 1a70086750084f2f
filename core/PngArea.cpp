#include "core/PngArea.h"

#include <fcntl.h>

namespace tarnwerk {

namespace {

// The facts were judged (limits, refusals) on what the analysis read; the file must still be
// that picture.
bool MatchesFacts(const PngLayout& layout, const CarrierFacts& facts) {
    const PngFacts& png = facts.png;
    return facts.IsPng() && layout.header.width == static_cast<uint32_t>(facts.width) &&
           layout.header.height == static_cast<uint32_t>(facts.height) && layout.header.bitDepth == png.bitDepth &&
           layout.header.colourType == png.colourType && (layout.header.interlace != 0) == png.interlaced &&
           layout.paletteEntries == png.paletteEntries && layout.transparency == png.transparentColour &&
           layout.animated == png.animated;
}

}  // namespace

PngArea::PngArea(UniqueFd fd, std::string path, PngLayout layout, PngSampleLayout samples)
    : fd_(std::move(fd)), path_(std::move(path)), layout_(std::move(layout)), samples_(samples) {}

Result<std::unique_ptr<PngArea>> PngArea::Open(const CarrierFacts& carrier, bool exclusive) {
    auto fd = OpenFile(carrier.path, O_RDONLY);
    if (!fd) return fd.error();
    if (auto locked = LockFile(fd->get(), exclusive, carrier.path); !locked) return locked.error();
    // Read again: the file may have changed since it was analysed.
    auto layout = ReadPngLayout(fd->get(), carrier.path);
    if (!layout) return layout.error();
    PngSampleLayout samples;
    if (!MatchesFacts(*layout, carrier) || !MakePngSampleLayout(layout->header, samples))
        return MakeError(ErrorCode::CorruptData, carrier.path);
    std::unique_ptr<PngArea> area(new PngArea(std::move(*fd), carrier.path, std::move(*layout), samples));
    if (auto started = area->Restart(); !started) return started.error();
    return area;
}

Result<std::unique_ptr<CarrierArea>> PngArea::OpenForReading(const CarrierFacts& carrier) {
    auto area = Open(carrier, false);
    if (!area) return area.error();
    return std::unique_ptr<CarrierArea>(std::move(*area));
}

Result<std::unique_ptr<CarrierArea>> PngArea::OpenForHide(const CarrierFacts& carrier, const std::string& target) {
    auto area = Open(carrier, true);
    if (!area) return area.error();
    PngArea& png = **area;
    auto writer = PngWriter::Create(png.fd_.get(), png.path_, png.layout_, target);
    if (!writer) return writer.error();
    png.writer_.emplace(std::move(*writer));
    return std::unique_ptr<CarrierArea>(std::move(*area));
}

Status PngArea::Restart() {
    decoder_.reset();
    rows_.clear();
    firstRow_ = nextRow_ = 0;
    auto decoder = PngDecoder::Open(fd_.get(), layout_, path_);
    if (!decoder) return decoder.error();
    decoder_.emplace(std::move(*decoder));
    if (!Interlaced()) return {};
    nextRow_ = samples_.height;
    return decoder_->WholeImage(picture_);
}

// Makes rows firstRow..lastRow available; rows before firstRow are encoded (hide) or dropped.
Status PngArea::Keep(uint32_t firstRow, uint32_t lastRow) {
    if (Interlaced()) return {};
    if (firstRow < firstRow_) {
        if (writer_) return MakeError(ErrorCode::Internal, path_);
        if (auto restarted = Restart(); !restarted) return restarted;
    }
    const auto release = [&]() -> Status {
        while (!rows_.empty() && firstRow_ < firstRow) {
            if (writer_) {
                if (auto put = writer_->PutRow(rows_.front().data()); !put) return put;
            }
            rows_.pop_front();
            ++firstRow_;
        }
        return {};
    };
    for (; nextRow_ <= lastRow && nextRow_ < samples_.height; ++nextRow_) {
        if (auto released = release(); !released) return released;
        if (rows_.empty()) firstRow_ = nextRow_;
        rows_.emplace_back(samples_.RowBytes());
        if (auto decoded = decoder_->NextRow(rows_.back().data()); !decoded) return decoded;
    }
    if (auto released = release(); !released) return released;
    if (rows_.empty()) firstRow_ = nextRow_;
    return {};
}

uint8_t* PngArea::Row(uint32_t row) {
    if (Interlaced()) return picture_.data() + size_t{row} * samples_.RowBytes();
    return rows_[row - firstRow_].data();
}

// Calls visit(row bytes, first carrier byte in the row, count, bytes done) for each row the
// range touches; the rows must be kept.
template <class Visit>
Status PngArea::ForRows(int64_t offset, size_t count, Visit visit) {
    if (offset < 0 || offset + static_cast<int64_t>(count) > Length()) return MakeError(ErrorCode::Internal, path_);
    const auto areaRow = static_cast<int64_t>(samples_.AreaRowBytes());
    size_t done = 0;
    while (done < count) {
        const auto row = static_cast<uint32_t>(offset / areaRow);
        const auto inRow = static_cast<size_t>(offset % areaRow);
        const size_t part = std::min(count - done, static_cast<size_t>(areaRow) - inRow);
        if (row < firstRow_ || row >= nextRow_) return MakeError(ErrorCode::Internal, path_);
        visit(Row(row), inRow, part, done);
        done += part;
        offset += static_cast<int64_t>(part);
    }
    return {};
}

Status PngArea::Read(int64_t offset, uint8_t* out, size_t count) {
    if (count == 0) return {};
    const auto areaRow = static_cast<int64_t>(samples_.AreaRowBytes());
    const auto last = static_cast<uint32_t>((offset + static_cast<int64_t>(count) - 1) / areaRow);
    if (auto kept = Keep(static_cast<uint32_t>(offset / areaRow), last); !kept) return kept;
    return ForRows(offset, count, [&](const uint8_t* row, size_t first, size_t part, size_t done) {
        GatherAreaBytes(samples_, row, first, part, out + done);
    });
}

Status PngArea::Write(int64_t offset, const uint8_t* in, size_t count) {
    if (!writer_) return MakeError(ErrorCode::Internal, path_);
    return ForRows(offset, count, [&](uint8_t* row, size_t first, size_t part, size_t done) {
        ScatterAreaBytes(samples_, row, first, part, in + done);
    });
}

Status PngArea::Finish() {
    if (!writer_) return MakeError(ErrorCode::Internal, path_);
    if (Interlaced()) {
        if (auto put = writer_->PutImage(picture_); !put) return put;
    } else if (auto rest = Keep(samples_.height, samples_.height); !rest) {
        return rest;
    }
    auto committed = writer_->Commit();
    writer_.reset();
    return committed;
}

}  // namespace tarnwerk
