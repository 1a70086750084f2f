// Carrier and data files for tests, fuzzing and benchmarks: valid Windows bitmaps of any size
// and depth, RAW files, seeded random bytes, and little-endian patching of header fields for
// hostile inputs. Functions that write files throw std::runtime_error when they cannot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwerk::test {

using Bytes = std::vector<uint8_t>;

inline constexpr int kBmpFileHeader = 14;
inline constexpr int kBmpInfoHeader = 40;
inline constexpr int kBmpHeaders = kBmpFileHeader + kBmpInfoHeader;  // 54
inline constexpr int kPaletteBytes8 = 256 * 4;                        // colour table of an 8-bit bitmap

// Offsets of header fields, for patching.
namespace bmp {
inline constexpr size_t kFileSize = 2;
inline constexpr size_t kDataOffset = 10;
inline constexpr size_t kHeaderSize = 14;
inline constexpr size_t kWidth = 18;
inline constexpr size_t kHeight = 22;
inline constexpr size_t kPlanes = 26;
inline constexpr size_t kBitCount = 28;
inline constexpr size_t kCompression = 30;
inline constexpr size_t kImageSize = 34;
inline constexpr size_t kXPelsPerMeter = 38;
inline constexpr size_t kYPelsPerMeter = 42;
}  // namespace bmp

// Deterministic bytes for a seed (same on every platform).
Bytes RandomBytes(size_t size, uint32_t seed);

// Bytes of a stored row of width pixels, padded to a multiple of 4.
int32_t BitmapRowBytes(int32_t width, int bitCount);

// A complete uncompressed bitmap: headers (bfSize, biSizeImage filled in), a grey colour
// table for 8 bits, then the rows with random pixel bytes and zero padding. bitCount may be
// any value (the pixel rows are sized by it), so unsupported depths can be built too.
Bytes BitmapBytes(int32_t width, int32_t height, int bitCount, bool topDown, uint32_t seed);

void PutLe32(Bytes& bytes, size_t offset, int32_t value);
void PutLe16(Bytes& bytes, size_t offset, uint16_t value);
int32_t GetLe32(const Bytes& bytes, size_t offset);

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// Write the file and return its bytes.
Bytes MakeBitmap(const std::string& path, int32_t width, int32_t height, int bitCount, bool topDown, uint32_t seed);
Bytes MakeRaw(const std::string& path, size_t size, uint32_t seed);

}  // namespace tarnwerk::test
