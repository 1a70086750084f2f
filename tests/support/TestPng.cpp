#include "support/TestPng.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>

namespace tarnwerk::test::png {

namespace {

const Bytes kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Pass {
    uint32_t x0, y0, dx, dy;
};
constexpr std::array<Pass, 7> kAdam7 = {
    {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
constexpr Pass kWhole = {0, 0, 1, 1};

void Fail(const std::string& what) { throw std::runtime_error("test PNG: " + what); }

void PutBe32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
uint32_t GetBe32(const Bytes& in, size_t at) {
    if (at + 4 > in.size()) Fail("cut short");
    return uint32_t{in[at]} << 24 | uint32_t{in[at + 1]} << 16 | uint32_t{in[at + 2]} << 8 | in[at + 3];
}

std::vector<Pass> Passes(const Picture& picture) {
    if (picture.interlaced) return {kAdam7.begin(), kAdam7.end()};
    return {kWhole};
}
uint32_t Count(uint32_t size, uint32_t start, uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

size_t PixelBytes(const Picture& picture) {
    return static_cast<size_t>(Channels(picture.colourType) * picture.bitDepth / 8);
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prior, size_t length, size_t bpp) {
    for (size_t i = 0; i < length; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = prior ? prior[i] : 0, c = prior && i >= bpp ? prior[i - bpp] : 0;
        switch (type) {
            case 0:
                break;
            case 1:
                row[i] = static_cast<uint8_t>(row[i] + a);
                break;
            case 2:
                row[i] = static_cast<uint8_t>(row[i] + b);
                break;
            case 3:
                row[i] = static_cast<uint8_t>(row[i] + (a + b) / 2);
                break;
            case 4:
                row[i] = static_cast<uint8_t>(row[i] + Paeth(a, b, c));
                break;
            default:
                Fail("unknown filter type");
        }
    }
}

}  // namespace

int Channels(uint8_t colourType) {
    switch (colourType) {
        case 0:
        case 3:
            return 1;
        case 4:
            return 2;
        case 2:
            return 3;
        case 6:
            return 4;
        default:
            Fail("colour type");
            return 0;
    }
}

size_t RowBytes(const Picture& picture) { return picture.width * PixelBytes(picture); }

Picture RandomPicture(uint32_t width, uint32_t height, uint8_t colourType, uint8_t bitDepth, bool interlaced,
                      uint32_t seed) {
    Picture picture{width, height, colourType, bitDepth, interlaced, {}};
    picture.samples = RandomBytes(RowBytes(picture) * height, seed);
    return picture;
}

Bytes ChunkBytes(const Chunk& chunk) {
    Bytes out;
    PutBe32(out, static_cast<uint32_t>(chunk.data.size()));
    out.insert(out.end(), chunk.type.begin(), chunk.type.end());
    out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    const uLong crc = crc32(0L, out.data() + 4, static_cast<uInt>(out.size() - 4));
    PutBe32(out, static_cast<uint32_t>(crc));
    return out;
}

Bytes Encode(const Picture& picture, const std::vector<Chunk>& before, const std::vector<Chunk>& after,
             size_t idatPart) {
    const size_t pixel = PixelBytes(picture), rowBytes = RowBytes(picture);
    Bytes raw;
    for (const Pass& pass : Passes(picture)) {
        const uint32_t columns = Count(picture.width, pass.x0, pass.dx);
        if (columns == 0) continue;
        for (uint32_t y = pass.y0; y < picture.height; y += pass.dy) {
            raw.push_back(0);
            for (uint32_t x = pass.x0; x < picture.width; x += pass.dx) {
                const auto at = picture.samples.begin() + static_cast<ptrdiff_t>(y * rowBytes + x * pixel);
                raw.insert(raw.end(), at, at + static_cast<ptrdiff_t>(pixel));
            }
        }
    }
    uLongf packedLength = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedLength);
    if (compress2(packed.data(), &packedLength, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) Fail("zlib");
    packed.resize(packedLength);

    Bytes header;
    PutBe32(header, picture.width);
    PutBe32(header, picture.height);
    header.insert(header.end(), {picture.bitDepth, picture.colourType, 0, 0, static_cast<uint8_t>(picture.interlaced)});
    Bytes file = kSignature;
    const auto add = [&file](const Chunk& chunk) {
        const Bytes bytes = ChunkBytes(chunk);
        file.insert(file.end(), bytes.begin(), bytes.end());
    };
    add({"IHDR", header});
    for (const Chunk& chunk : before) add(chunk);
    for (size_t at = 0; at < packed.size() || at == 0; at += idatPart) {
        const size_t part = std::min(idatPart, packed.size() - at);
        add({"IDAT",
             Bytes(packed.begin() + static_cast<ptrdiff_t>(at), packed.begin() + static_cast<ptrdiff_t>(at + part))});
    }
    for (const Chunk& chunk : after) add(chunk);
    add({"IEND", {}});
    return file;
}

std::vector<Chunk> Chunks(const Bytes& file) {
    if (file.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), file.begin()))
        Fail("signature");
    std::vector<Chunk> chunks;
    for (size_t at = kSignature.size(); at < file.size();) {
        const uint32_t length = GetBe32(file, at);
        if (at + 12 + length > file.size()) Fail("chunk cut short");
        Chunk chunk{
            std::string(file.begin() + static_cast<ptrdiff_t>(at + 4), file.begin() + static_cast<ptrdiff_t>(at + 8)),
            Bytes(file.begin() + static_cast<ptrdiff_t>(at + 8),
                  file.begin() + static_cast<ptrdiff_t>(at + 8 + length))};
        if (ChunkBytes(chunk) !=
            Bytes(file.begin() + static_cast<ptrdiff_t>(at), file.begin() + static_cast<ptrdiff_t>(at + 12 + length)))
            Fail("CRC of " + chunk.type);
        at += 12 + length;
        chunks.push_back(std::move(chunk));
        if (chunks.back().type == "IEND") break;
    }
    return chunks;
}

Picture Decode(const Bytes& file) {
    const std::vector<Chunk> chunks = Chunks(file);
    if (chunks.empty() || chunks.front().type != "IHDR" || chunks.front().data.size() != 13) Fail("IHDR");
    const Bytes& h = chunks.front().data;
    Picture picture{GetBe32(h, 0), GetBe32(h, 4), h[9], h[8], h[12] == 1, {}};
    if (picture.bitDepth != 8 && picture.bitDepth != 16) Fail("depth");
    Bytes packed;
    for (const Chunk& chunk : chunks)
        if (chunk.type == "IDAT") packed.insert(packed.end(), chunk.data.begin(), chunk.data.end());

    const size_t pixel = PixelBytes(picture), rowBytes = RowBytes(picture);
    size_t rawLength = 0;
    for (const Pass& pass : Passes(picture)) {
        const uint32_t columns = Count(picture.width, pass.x0, pass.dx);
        if (columns > 0) rawLength += Count(picture.height, pass.y0, pass.dy) * (1 + columns * pixel);
    }
    Bytes raw(rawLength);
    uLongf got = static_cast<uLongf>(rawLength);
    if (uncompress(raw.data(), &got, packed.data(), static_cast<uLong>(packed.size())) != Z_OK || got != rawLength)
        Fail("image data");

    picture.samples.assign(rowBytes * picture.height, 0);
    size_t at = 0;
    for (const Pass& pass : Passes(picture)) {
        const uint32_t columns = Count(picture.width, pass.x0, pass.dx);
        if (columns == 0) continue;
        const size_t length = columns * pixel;
        const uint8_t* prior = nullptr;
        for (uint32_t y = pass.y0; y < picture.height; y += pass.dy, at += 1 + length) {
            uint8_t* line = raw.data() + at + 1;
            Unfilter(raw[at], line, prior, length, pixel);
            prior = line;
            for (uint32_t i = 0; i < columns; ++i)
                std::copy_n(
                    line + i * pixel, pixel,
                    picture.samples.begin() + static_cast<ptrdiff_t>(y * rowBytes + (pass.x0 + i * pass.dx) * pixel));
        }
    }
    return picture;
}

}  // namespace tarnwerk::test::png
