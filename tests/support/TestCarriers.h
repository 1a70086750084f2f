// Carrier and data files for tests, fuzzing and benchmarks: valid Windows bitmaps of any size
// and depth, RAW files, seeded random bytes, and little-endian patching of header fields for
// hostile inputs. Functions that write files throw std::runtime_error when they cannot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwerk::test {

using Bytes = std::vector<uint8_t>;

inline constexpr int kBmpHeaders = 14 + 40;     // file header and info header
inline constexpr int kPaletteBytes8 = 256 * 4;  // colour table of an 8-bit bitmap

// Offsets of header fields, for patching.
namespace bmp {
inline constexpr size_t kFileSize = 2, kDataOffset = 10, kHeaderSize = 14, kWidth = 18, kHeight = 22, kBitCount = 28,
                        kCompression = 30, kImageSize = 34;
}  // namespace bmp

// Deterministic bytes for a seed (same on every platform).
Bytes RandomBytes(size_t size, uint32_t seed);
// Bytes of a stored row of width pixels, padded to a multiple of 4.
int32_t BitmapRowBytes(int32_t width, int bitCount);
// An uncompressed bitmap with filled-in sizes, a grey colour table up to 8 bits and random
// pixels; any bitCount sizes the rows, so unsupported depths can be built too.
Bytes BitmapBytes(int32_t width, int32_t height, int bitCount, bool topDown, uint32_t seed);
// A 24-bit bitmap with a BITMAPV5HEADER whose embedded colour profile (random bytes, like the
// pixels) follows the pixel rows, as ImageMagick writes them; biSizeImage as given.
Bytes V5BitmapWithProfile(int32_t width, int32_t height, uint32_t profileBytes, int32_t storedImageSize);

void PutLe32(Bytes& bytes, size_t offset, int32_t value);
void PutLe16(Bytes& bytes, size_t offset, uint16_t value);
int32_t GetLe32(const Bytes& bytes, size_t offset);

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
// Write the file and return its bytes.
Bytes MakeBitmap(const std::string& path, int32_t width, int32_t height, int bitCount, bool topDown, uint32_t seed);
Bytes MakeRaw(const std::string& path, size_t size, uint32_t seed);

}  // namespace tarnwerk::test
