#include "core/PngDecoder.h"

#include <algorithm>
#include <cstring>

#include "base/FileIo.h"

namespace tarnwerk {

// The byte ranges of the file the decoder reads, in order, with a read-ahead buffer: libspng
// asks for a few bytes at a time around every chunk.
struct PngDecoder::Feed {
    static constexpr size_t kBuffer = 64 * 1024;

    int fd = -1;
    std::string path;
    std::vector<std::pair<int64_t, int64_t>> ranges;  // [begin, end) file offsets
    size_t range = 0;
    int64_t position = 0;
    std::vector<uint8_t> buffer;
    size_t bufferAt = 0;
    Status failure;  // a read error, reported as itself rather than as a damaged picture

    int Read(uint8_t* out, size_t length) {
        while (length > 0) {
            if (bufferAt == buffer.size() && !Fill()) return SPNG_IO_ERROR;
            if (buffer.empty()) return SPNG_IO_EOF;
            const size_t part = std::min(length, buffer.size() - bufferAt);
            std::memcpy(out, buffer.data() + bufferAt, part);
            bufferAt += part;
            out += part;
            length -= part;
        }
        return 0;
    }

    bool Fill() {
        buffer.clear();
        bufferAt = 0;
        while (range < ranges.size() && position == ranges[range].second) {
            if (++range < ranges.size()) position = ranges[range].first;
        }
        if (range == ranges.size()) return true;
        const auto part = static_cast<size_t>(std::min<int64_t>(kBuffer, ranges[range].second - position));
        buffer.resize(part);
        failure = ReadAt(fd, buffer.data(), part, position, path);
        if (!failure) return false;
        position += static_cast<int64_t>(part);
        return true;
    }

    static int Callback(spng_ctx*, void* user, void* out, size_t length) {
        return static_cast<Feed*>(user)->Read(static_cast<uint8_t*>(out), length);
    }
};

PngDecoder::PngDecoder(std::unique_ptr<Feed> feed, SpngContext ctx, PngSampleLayout layout, std::string path)
    : feed_(std::move(feed)), ctx_(std::move(ctx)), layout_(layout), path_(std::move(path)) {}
PngDecoder::PngDecoder(PngDecoder&&) noexcept = default;
PngDecoder& PngDecoder::operator=(PngDecoder&&) noexcept = default;
PngDecoder::~PngDecoder() = default;

Result<PngDecoder> PngDecoder::Open(int fd, const PngLayout& layout, const std::string& path) {
    PngSampleLayout samples;
    if (!MakePngSampleLayout(layout.header, samples)) return MakeError(ErrorCode::Internal, path);
    auto feed = std::make_unique<Feed>();
    feed->fd = fd;
    feed->path = path;
    feed->ranges.emplace_back(0, static_cast<int64_t>(kPngSignature.size()));
    for (const PngChunk& chunk : layout.chunks) {
        if (chunk.type == "IHDR" || chunk.type == "PLTE" || chunk.type == "IEND")
            feed->ranges.emplace_back(chunk.offset, chunk.end());
    }
    // The image data goes before IEND, the last range.
    feed->ranges.insert(feed->ranges.end() - 1,
                        {layout.chunks[layout.firstImageData].offset, layout.chunks[layout.endImageData - 1].end()});

    SpngContext ctx(spng_ctx_new(0));
    if (!ctx) return MakeError(ErrorCode::OutOfMemory, path);
    int code = spng_set_png_stream(ctx.get(), &Feed::Callback, feed.get());
    if (code == 0) code = spng_set_image_limits(ctx.get(), kMaxPngSide, kMaxPngSide);
    if (code == 0) code = spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RAW, SPNG_DECODE_PROGRESSIVE);
    if (!feed->failure) return feed->failure.error();
    if (code != 0) return SpngError(code, path);
    return PngDecoder(std::move(feed), std::move(ctx), samples, path);
}

Status PngDecoder::NextRow(uint8_t* row) {
    const int code = spng_decode_row(ctx_.get(), row, layout_.RowBytes());
    if (!feed_->failure) return feed_->failure;
    if (code != 0 && code != SPNG_EOI) return SpngError(code, path_);
    return {};
}

Status PngDecoder::WholeImage(std::vector<uint8_t>& image) {
    const size_t rowBytes = layout_.RowBytes();
    image.assign(rowBytes * layout_.height, 0);
    for (;;) {
        spng_row_info info{};
        int code = spng_get_row_info(ctx_.get(), &info);
        if (code == SPNG_EOI) return {};
        if (code == 0) code = spng_decode_row(ctx_.get(), image.data() + size_t{info.row_num} * rowBytes, rowBytes);
        if (!feed_->failure) return feed_->failure;
        if (code == SPNG_EOI) return {};
        if (code != 0) return SpngError(code, path_);
    }
}

}  // namespace tarnwerk
