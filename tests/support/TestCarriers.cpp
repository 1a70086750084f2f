#include "support/TestCarriers.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace tarnwerk::test {

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random() >> 24);
    return bytes;
}

int32_t BitmapRowBytes(int32_t width, int bitCount) {
    return static_cast<int32_t>((int64_t{width} * bitCount + 31) / 32 * 4);
}

void PutLe32(Bytes& bytes, size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

void PutLe16(Bytes& bytes, size_t offset, uint16_t value) {
    bytes.at(offset) = static_cast<uint8_t>(value);
    bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

int32_t GetLe32(const Bytes& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes.at(offset + i);
    return static_cast<int32_t>(value);
}

Bytes BitmapBytes(int32_t width, int32_t height, int bitCount, bool topDown, uint32_t seed) {
    const int32_t rowBytes = BitmapRowBytes(width, bitCount);
    const auto usedRowBytes = static_cast<int32_t>((int64_t{width} * bitCount + 7) / 8);
    const int32_t imageSize = rowBytes * height;
    const int32_t colours = bitCount <= 8 ? 1 << bitCount : 0;
    const int32_t dataOffset = kBmpHeaders + 4 * colours;

    Bytes bytes(static_cast<size_t>(dataOffset + imageSize), 0);
    PutLe16(bytes, 0, 'B' | 'M' << 8);
    PutLe32(bytes, bmp::kFileSize, static_cast<int32_t>(bytes.size()));
    PutLe32(bytes, bmp::kDataOffset, dataOffset);
    PutLe32(bytes, bmp::kHeaderSize, 40);
    PutLe32(bytes, bmp::kWidth, width);
    PutLe32(bytes, bmp::kHeight, topDown ? -height : height);
    PutLe16(bytes, 26, 1);  // planes
    PutLe16(bytes, bmp::kBitCount, static_cast<uint16_t>(bitCount));
    PutLe32(bytes, bmp::kImageSize, imageSize);
    PutLe32(bytes, 38, 2835);  // 72 dpi across and down
    PutLe32(bytes, 42, 2835);
    for (int32_t i = 0; i < colours; ++i)
        std::fill_n(bytes.begin() + kBmpHeaders + 4 * i, 3, static_cast<uint8_t>(i * (256 / colours)));
    const Bytes pixels = RandomBytes(static_cast<size_t>(usedRowBytes) * height, seed);
    for (int32_t row = 0; row < height; ++row)
        std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(row) * usedRowBytes, usedRowBytes,
                    bytes.begin() + dataOffset + static_cast<ptrdiff_t>(row) * rowBytes);
    return bytes;
}

Bytes V5BitmapWithProfile(int32_t width, int32_t height, uint32_t profileBytes, int32_t storedImageSize) {
    const int32_t rowBytes = (width * 3 + 3) / 4 * 4;
    const uint32_t pixels = static_cast<uint32_t>(rowBytes * height);
    Bytes bytes = RandomBytes(14 + 124 + pixels + profileBytes, 17);
    std::fill_n(bytes.begin(), 14 + 124, 0);
    PutLe16(bytes, 0, 'B' | 'M' << 8);
    PutLe32(bytes, bmp::kFileSize, static_cast<int32_t>(bytes.size()));
    PutLe32(bytes, bmp::kDataOffset, 14 + 124);
    PutLe32(bytes, bmp::kHeaderSize, 124);
    PutLe32(bytes, bmp::kWidth, width);
    PutLe32(bytes, bmp::kHeight, height);
    PutLe16(bytes, 26, 1);
    PutLe16(bytes, bmp::kBitCount, 24);
    PutLe32(bytes, bmp::kImageSize, storedImageSize);
    PutLe32(bytes, 14 + 56, 0x4D424544);                           // bV5CSType 'MBED'
    PutLe32(bytes, 14 + 112, static_cast<int32_t>(124 + pixels));  // bV5ProfileData
    PutLe32(bytes, 14 + 116, static_cast<int32_t>(profileBytes));  // bV5ProfileSize
    return bytes;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes MakeBitmap(const std::string& path, int32_t width, int32_t height, int bitCount, bool topDown, uint32_t seed) {
    Bytes bytes = BitmapBytes(width, height, bitCount, topDown, seed);
    WriteFile(path, bytes);
    return bytes;
}

Bytes MakeRaw(const std::string& path, size_t size, uint32_t seed) {
    Bytes bytes = RandomBytes(size, seed);
    WriteFile(path, bytes);
    return bytes;
}

}  // namespace tarnwerk::test
