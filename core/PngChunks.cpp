#include "core/PngChunks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "base/ByteOrder.h"
#include "base/FileIo.h"

namespace tarnwerk {

namespace {

constexpr uint32_t kMaxChunkLength = 0x7FFFFFFFu;  // the format's own limit
constexpr uint32_t kHeaderLength = 13;
constexpr size_t kCrcBlock = 64 * 1024;

// Chunks whose place the format fixes relative to PLTE and IDAT.
const std::set<std::string> kBeforePalette = {"cHRM", "gAMA", "iCCP", "sBIT", "sRGB"};
const std::set<std::string> kAfterPalette = {"bKGD", "hIST", "tRNS"};
const std::set<std::string> kBeforeImageData = {"pHYs", "sPLT", "oFFs", "pCAL", "sCAL", "acTL"};

// The first argument names the fault for the reader of this code; the user is told the
// picture is damaged.
Error Corrupt(const std::string& /*what*/, const std::string& path) { return MakeError(ErrorCode::CorruptData, path); }

bool IsLetters(const uint8_t* type) {
    return std::all_of(type, type + 4, [](uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// CRC over type and data, read in blocks so a large chunk costs no memory.
Result<bool> CrcMatches(int fd, const PngChunk& chunk, const std::string& path) {
    std::vector<uint8_t> block(std::min<size_t>(kCrcBlock, chunk.length + 8u));
    uLong crc = crc32(0L, Z_NULL, 0);
    int64_t at = chunk.offset + 4;
    int64_t left = int64_t{chunk.length} + 4;
    while (left > 0) {
        const size_t part = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(block.size())));
        if (auto read = ReadAt(fd, block.data(), part, at, path); !read) return read.error();
        crc = crc32(crc, block.data(), static_cast<uInt>(part));
        at += static_cast<int64_t>(part);
        left -= static_cast<int64_t>(part);
    }
    uint8_t stored[4];
    if (auto read = ReadAt(fd, stored, 4, at, path); !read) return read.error();
    return LoadBe32(stored) == static_cast<uint32_t>(crc);
}

bool ValidDepth(uint8_t colourType, uint8_t depth) {
    switch (static_cast<PngColourType>(colourType)) {
        case PngColourType::Grey:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case PngColourType::Palette:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case PngColourType::Rgb:
        case PngColourType::GreyAlpha:
        case PngColourType::Rgba:
            return depth == 8 || depth == 16;
    }
    return false;
}

Status ParseHeader(int fd, const PngChunk& chunk, PngHeader& header, const std::string& path) {
    if (chunk.type != "IHDR" || chunk.length != kHeaderLength) return Corrupt("the first chunk is not IHDR", path);
    uint8_t data[kHeaderLength];
    if (auto read = ReadAt(fd, data, kHeaderLength, chunk.offset + 8, path); !read) return read;
    header.width = LoadBe32(data);
    header.height = LoadBe32(data + 4);
    header.bitDepth = data[8];
    header.colourType = data[9];
    header.interlace = data[12];
    if (header.width == 0 || header.height == 0) return Corrupt("the picture has no pixels", path);
    if (header.width > kMaxChunkLength || header.height > kMaxChunkLength) return Corrupt("invalid picture size", path);
    if (!ValidDepth(header.colourType, header.bitDepth)) return Corrupt("invalid colour type or bit depth", path);
    if (data[10] != 0 || data[11] != 0 || header.interlace > 1)
        return Corrupt("unknown compression, filter or interlace method", path);
    return {};
}

// Order rules, checked as each chunk arrives.
class OrderCheck {
public:
    explicit OrderCheck(const std::string& path) : path_(path) {}

    Status Accept(const PngChunk& chunk, size_t index, PngLayout& layout) {
        const std::string& type = chunk.type;
        const bool upper = (type[0] & 0x20) == 0;
        if (type == "IDAT") return ImageData(index, layout);
        if (sawImageData_ && !endedImageData_) endedImageData_ = true;
        if (type == "IHDR") return Corrupt("IHDR appears twice", path_);
        if (type == "PLTE") {
            if (sawPalette_ || sawImageData_) return Corrupt("PLTE out of order", path_);
            if (chunk.length == 0 || chunk.length % 3 != 0 || chunk.length > 256 * 3)
                return Corrupt("invalid PLTE length", path_);
            sawPalette_ = true;
            layout.paletteEntries = static_cast<int>(chunk.length / 3);
            return {};
        }
        if (upper && type != "IEND") return Corrupt("unknown critical chunk " + type, path_);
        if (kBeforePalette.count(type) && (sawPalette_ || sawImageData_)) return Corrupt(type + " out of order", path_);
        if (kAfterPalette.count(type) && sawImageData_) return Corrupt(type + " out of order", path_);
        if (kBeforeImageData.count(type) && sawImageData_) return Corrupt(type + " out of order", path_);
        if (type == "tRNS") layout.transparency = true;
        if (type == "acTL") layout.animated = true;
        return {};
    }

    Status Finish(const PngLayout& layout) const {
        if (!sawImageData_) return Corrupt("no image data", path_);
        const auto colour = static_cast<PngColourType>(layout.header.colourType);
        if (colour == PngColourType::Palette && !sawPalette_) return Corrupt("the palette is missing", path_);
        if ((colour == PngColourType::Grey || colour == PngColourType::GreyAlpha) && sawPalette_)
            return Corrupt("a grey picture with a palette", path_);
        return {};
    }

private:
    Status ImageData(size_t index, PngLayout& layout) {
        if (endedImageData_) return Corrupt("IDAT chunks are not consecutive", path_);
        if (!sawImageData_) layout.firstImageData = index;
        sawImageData_ = true;
        layout.endImageData = index + 1;
        return {};
    }

    const std::string& path_;
    bool sawPalette_ = false;
    bool sawImageData_ = false;
    bool endedImageData_ = false;
};

// The chunk whose length field starts at offset, checked against the file's end.
Result<PngChunk> ReadChunkHead(int fd, int64_t offset, int64_t fileLength, const std::string& path) {
    uint8_t head[8];
    if (offset + kPngChunkOverhead > fileLength) return Corrupt("the file ends before IEND", path);
    if (auto read = ReadAt(fd, head, sizeof head, offset, path); !read) return read.error();
    PngChunk chunk;
    chunk.offset = offset;
    chunk.length = LoadBe32(head);
    if (chunk.length > kMaxChunkLength || !IsLetters(head + 4)) return Corrupt("invalid chunk", path);
    chunk.type.assign(reinterpret_cast<const char*>(head + 4), 4);
    if (chunk.end() > fileLength) return Corrupt("the file ends inside chunk " + chunk.type, path);
    return chunk;
}

}  // namespace

bool HasPngSignature(int fd, const std::string& path) {
    std::array<uint8_t, kPngSignature.size()> signature{};
    return ReadAt(fd, signature.data(), signature.size(), 0, path) && signature == kPngSignature;
}

Result<PngLayout> ReadPngLayout(int fd, const std::string& path) {
    PngLayout layout;
    auto length = FileLength(fd, path);
    if (!length) return length.error();
    layout.fileLength = *length;
    if (!HasPngSignature(fd, path)) return Corrupt("no PNG signature", path);

    OrderCheck order(path);
    for (auto offset = static_cast<int64_t>(kPngSignature.size());;) {
        auto chunk = ReadChunkHead(fd, offset, *length, path);
        if (!chunk) return chunk.error();
        auto crc = CrcMatches(fd, *chunk, path);
        if (!crc) return crc.error();
        if (!*crc) return Corrupt("CRC error in chunk " + chunk->type, path);
        const size_t index = layout.chunks.size();
        if (index == 0) {
            if (auto header = ParseHeader(fd, *chunk, layout.header, path); !header) return header.error();
        } else if (auto accepted = order.Accept(*chunk, index, layout); !accepted) {
            return accepted.error();
        }
        layout.chunks.push_back(*chunk);
        offset = chunk->end();
        if (chunk->type == "IEND") break;
    }
    if (auto finished = order.Finish(layout); !finished) return finished.error();
    return layout;
}

}  // namespace tarnwerk
