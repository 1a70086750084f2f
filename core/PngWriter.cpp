#include "core/PngWriter.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "base/AtomicOutput.h"
#include "base/ByteOrder.h"
#include "base/FileIo.h"

namespace tarnwerk {

namespace {

constexpr size_t kOutputBuffer = 1 << 20;
constexpr size_t kCopyBlock = 64 * 1024;
constexpr int kChunkHead = 8;  // length and type
// The whole picture is compressed again on every hide. zlib's default level (6) took 2.5 times
// as long as level 4 on a smooth 6000 x 4000 photograph, longer than ImageMagick re-encoding it,
// for files only 3 % smaller; libspng's adaptive filters stay.
constexpr int kCompressionLevel = 4;

// Chunks this program knows: kept whatever their copy bit says, since changing the low bits
// of samples leaves what they describe true.
const std::set<std::string> kKnownChunks = {"IHDR", "PLTE", "IDAT", "IEND", "cHRM", "gAMA", "iCCP", "sBIT",
                                            "sRGB", "bKGD", "hIST", "tRNS", "pHYs", "sPLT", "tIME", "iTXt",
                                            "tEXt", "zTXt", "eXIf", "oFFs", "pCAL", "sCAL", "cICP"};

}  // namespace

bool KeepsChunk(const PngChunk& chunk) { return kKnownChunks.count(chunk.type) > 0 || chunk.IsSafeToCopy(); }

// The new file: kept chunks copied from the source, and of the encoder's output only the IDAT
// chunks (its signature, IHDR, PLTE and IEND are the original's).
struct PngWriter::Sink {
    AtomicOutput output;
    int sourceFd;
    std::string sourcePath;
    PngLayout layout;
    std::vector<uint8_t> buffer;
    Status failure;
    // Encoder output filter state.
    size_t signatureLeft = kPngSignature.size();
    uint8_t head[kChunkHead] = {};
    size_t headFill = 0;
    uint64_t bodyLeft = 0;
    bool passBody = false;

    Sink(AtomicOutput out, int fd, std::string path, const PngLayout& png)
        : output(std::move(out)), sourceFd(fd), sourcePath(std::move(path)), layout(png) {
        buffer.reserve(kOutputBuffer);
    }

    Status Put(const uint8_t* data, size_t size) {
        if (buffer.size() + size > kOutputBuffer) {
            if (auto flushed = Flush(); !flushed) return flushed;
            if (size >= kOutputBuffer) return Write(data, size);
        }
        buffer.insert(buffer.end(), data, data + size);
        return {};
    }

    Status Write(const uint8_t* data, size_t size) {
        return WriteAll(output.content().fd(), data, size, output.target());
    }

    Status Flush() {
        auto written = Write(buffer.data(), buffer.size());
        buffer.clear();
        return written;
    }

    Status Copy(int64_t from, int64_t to) {
        std::vector<uint8_t> block(kCopyBlock);
        while (from < to) {
            const auto part = static_cast<size_t>(std::min<int64_t>(to - from, kCopyBlock));
            if (auto read = ReadAt(sourceFd, block.data(), part, from, sourcePath); !read) return read;
            if (auto put = Put(block.data(), part); !put) return put;
            from += static_cast<int64_t>(part);
        }
        return {};
    }

    Status CopyChunks(size_t first, size_t end) {
        for (size_t i = first; i < end; ++i) {
            const PngChunk& chunk = layout.chunks[i];
            if (!KeepsChunk(chunk)) continue;
            if (auto copied = Copy(chunk.offset, chunk.end()); !copied) return copied;
        }
        return {};
    }

    void FromEncoder(const uint8_t* data, size_t size) {
        while (size > 0 && failure) {
            size_t part = 0;
            if (signatureLeft > 0) {
                part = std::min(size, signatureLeft);
                signatureLeft -= part;
            } else if (bodyLeft == 0) {
                part = std::min(size, kChunkHead - headFill);
                std::memcpy(head + headFill, data, part);
                headFill += part;
                if (headFill == kChunkHead) StartChunk();
            } else {
                part = static_cast<size_t>(std::min<uint64_t>(size, bodyLeft));
                if (passBody) failure = Put(data, part);
                bodyLeft -= part;
            }
            data += part;
            size -= part;
        }
    }

    void StartChunk() {
        headFill = 0;
        bodyLeft = uint64_t{LoadBe32(head)} + 4;  // data and CRC
        passBody = std::memcmp(head + 4, "IDAT", 4) == 0;
        if (passBody) failure = Put(head, kChunkHead);
    }

    static int Callback(spng_ctx*, void* user, void* data, size_t length) {
        auto* sink = static_cast<Sink*>(user);
        sink->FromEncoder(static_cast<const uint8_t*>(data), length);
        return sink->failure ? 0 : SPNG_IO_ERROR;
    }
};

PngWriter::PngWriter(std::unique_ptr<Sink> sink, SpngContext ctx, PngSampleLayout layout)
    : sink_(std::move(sink)), ctx_(std::move(ctx)), layout_(layout) {}
PngWriter::PngWriter(PngWriter&&) noexcept = default;
PngWriter& PngWriter::operator=(PngWriter&&) noexcept = default;
PngWriter::~PngWriter() = default;

namespace {

// The encoder needs the palette of a palette picture, though its copy is not written.
Status SetPalette(spng_ctx* ctx, int fd, const PngLayout& layout, const std::string& path) {
    const auto found = std::find_if(layout.chunks.begin(), layout.chunks.end(),
                                    [](const PngChunk& chunk) { return chunk.type == "PLTE"; });
    if (found == layout.chunks.end()) return {};
    std::vector<uint8_t> entries(found->length);
    if (auto read = ReadAt(fd, entries.data(), entries.size(), found->offset + kChunkHead, path); !read) return read;
    spng_plte palette{};
    palette.n_entries = found->length / 3;
    for (uint32_t i = 0; i < palette.n_entries; ++i) {
        palette.entries[i].red = entries[i * 3];
        palette.entries[i].green = entries[i * 3 + 1];
        palette.entries[i].blue = entries[i * 3 + 2];
    }
    if (const int code = spng_set_plte(ctx, &palette); code != 0) return SpngError(code, path);
    return {};
}

Status SetHeader(spng_ctx* ctx, const PngHeader& header, const std::string& path) {
    spng_ihdr ihdr{};
    ihdr.width = header.width;
    ihdr.height = header.height;
    ihdr.bit_depth = header.bitDepth;
    ihdr.color_type = header.colourType;
    ihdr.interlace_method = header.interlace;
    if (const int code = spng_set_ihdr(ctx, &ihdr); code != 0) return SpngError(code, path);
    return {};
}

}  // namespace

Result<PngWriter> PngWriter::Create(int sourceFd, const std::string& sourcePath, const PngLayout& layout,
                                    const std::string& targetPath) {
    PngSampleLayout samples;
    if (!MakePngSampleLayout(layout.header, samples)) return MakeError(ErrorCode::Internal, targetPath);
    auto output = AtomicOutput::Create(targetPath);
    if (!output) return output.error();
    auto sink = std::make_unique<Sink>(std::move(*output), sourceFd, sourcePath, layout);
    if (auto put = sink->Put(kPngSignature.data(), kPngSignature.size()); !put) return put.error();
    if (auto copied = sink->CopyChunks(0, layout.firstImageData); !copied) return copied.error();

    SpngContext ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) return MakeError(ErrorCode::OutOfMemory, targetPath);
    if (const int code = spng_set_png_stream(ctx.get(), &Sink::Callback, sink.get()); code != 0)
        return SpngError(code, targetPath);
    if (auto header = SetHeader(ctx.get(), layout.header, targetPath); !header) return header.error();
    if (auto palette = SetPalette(ctx.get(), sourceFd, layout, sourcePath); !palette) return palette.error();
    constexpr int kFlags = SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE;
    int code = spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, kCompressionLevel);
    if (code == 0) code = spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_RAW, kFlags);
    if (code != 0) return SpngError(code, targetPath);
    return PngWriter(std::move(sink), std::move(ctx), samples);
}

Status PngWriter::PutRow(const uint8_t* row) {
    const int code = spng_encode_row(ctx_.get(), row, layout_.RowBytes());
    if (!sink_->failure) return sink_->failure;
    if (code != 0 && code != SPNG_EOI) return SpngError(code, sink_->output.target());
    finished_ = code == SPNG_EOI;
    return {};
}

Status PngWriter::PutImage(const std::vector<uint8_t>& image) {
    const size_t rowBytes = layout_.RowBytes();
    for (;;) {
        spng_row_info info{};
        int code = spng_get_row_info(ctx_.get(), &info);
        if (code == 0) code = spng_encode_row(ctx_.get(), image.data() + size_t{info.row_num} * rowBytes, rowBytes);
        if (!sink_->failure) return sink_->failure;
        finished_ = code == SPNG_EOI;
        if (finished_) return {};
        if (code != 0) return SpngError(code, sink_->output.target());
    }
}

Status PngWriter::Commit() {
    if (!finished_) return MakeError(ErrorCode::Internal, sink_->output.target());
    const PngLayout& layout = sink_->layout;
    if (auto copied = sink_->CopyChunks(layout.endImageData, layout.chunks.size()); !copied) return copied;
    // Whatever followed IEND stays too.
    if (auto trailing = sink_->Copy(layout.chunks.back().end(), layout.fileLength); !trailing) return trailing;
    if (auto flushed = sink_->Flush(); !flushed) return flushed;
    return sink_->output.Commit();
}

}  // namespace tarnwerk
