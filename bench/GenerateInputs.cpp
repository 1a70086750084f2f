// Writes the benchmark inputs: bitmaps and RAW files with pseudo-random pixels, and data files
// of random or text-like bytes. Files are written in slices, so any size costs little memory.
//
//   tarnwerk-benchgen bmp24|bmp8|raw PATH BYTES [SEED]   carrier of about BYTES picture bytes
//   tarnwerk-benchgen random|text PATH BYTES [SEED]      data file of exactly BYTES bytes
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kSliceBytes = size_t{1} << 20;
constexpr int32_t kBitmapWidth = 4096;  // rows of 4096 pixels: no row padding at either depth
constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kPaletteEntries = 256;
constexpr int kPaletteBytes = kPaletteEntries * 4;
constexpr uint64_t kDefaultSeed = 20240601;

// xorshift64*: fast, and the same bytes on every run for a seed.
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed | 1) {}
    uint64_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    }
    void Fill(std::vector<uint8_t>& bytes) {
        for (size_t i = 0; i < bytes.size(); i += 8) {
            uint64_t word = Next();
            for (size_t k = i; k < i + 8 && k < bytes.size(); ++k, word >>= 8) bytes[k] = static_cast<uint8_t>(word);
        }
    }
};

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> BitmapHeaders(int32_t height, int bitCount) {
    const uint32_t rowBytes = static_cast<uint32_t>(kBitmapWidth) * static_cast<uint32_t>(bitCount / 8);
    const uint32_t imageSize = rowBytes * static_cast<uint32_t>(height);
    const uint32_t palette = bitCount == 8 ? kPaletteBytes : 0;
    const uint32_t offset = kFileHeaderBytes + kInfoHeaderBytes + palette;
    std::vector<uint8_t> h;
    h.push_back('B');
    h.push_back('M');
    PutLe(h, offset + imageSize, 4);
    PutLe(h, 0, 4);
    PutLe(h, offset, 4);
    PutLe(h, kInfoHeaderBytes, 4);
    PutLe(h, static_cast<uint32_t>(kBitmapWidth), 4);
    PutLe(h, static_cast<uint32_t>(height), 4);
    PutLe(h, 1, 2);
    PutLe(h, static_cast<uint32_t>(bitCount), 2);
    PutLe(h, 0, 4);  // no compression
    PutLe(h, imageSize, 4);
    PutLe(h, 2835, 4);
    PutLe(h, 2835, 4);
    PutLe(h, bitCount == 8 ? kPaletteEntries : 0, 4);
    PutLe(h, 0, 4);
    for (uint32_t i = 0; i < palette / 4; ++i) {
        for (int c = 0; c < 3; ++c) h.push_back(static_cast<uint8_t>(i));
        h.push_back(0);
    }
    return h;
}

bool WriteRandom(std::ofstream& out, uint64_t bytes, Random& random) {
    std::vector<uint8_t> slice;
    while (bytes > 0) {
        slice.resize(static_cast<size_t>(std::min<uint64_t>(bytes, kSliceBytes)));
        random.Fill(slice);
        out.write(reinterpret_cast<const char*>(slice.data()), static_cast<std::streamsize>(slice.size()));
        bytes -= slice.size();
    }
    return static_cast<bool>(out);
}

// Words from a small vocabulary with spaces, punctuation and line ends: compresses about as
// well as ordinary prose.
bool WriteText(std::ofstream& out, uint64_t bytes, Random& random) {
    static constexpr std::array<std::string_view, 32> kWords = {
        "the",    "picture", "carrier", "hidden", "data",       "of",    "and",   "a",    "window", "file",   "bits",
        "is",     "to",      "in",      "with",   "passphrase", "under", "every", "byte", "low",    "marker", "header",
        "stream", "copy",    "quick",   "brown",  "fox",        "jumps", "over",  "lazy", "dog",    "again"};
    std::string text;
    while (text.size() < bytes) {
        const uint64_t r = random.Next();
        text += kWords[r % kWords.size()];
        const uint64_t end = (r >> 8) % 16;
        text += end == 0 ? ".\n" : end == 1 ? ", " : " ";
    }
    text.resize(static_cast<size_t>(bytes));
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

int Usage() {
    std::cerr << "usage: tarnwerk-benchgen bmp24|bmp8|raw|random|text PATH BYTES [SEED]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) return Usage();
    const std::string kind = argv[1];
    const std::string path = argv[2];
    const uint64_t bytes = std::strtoull(argv[3], nullptr, 10);
    Random random(argc == 5 ? std::strtoull(argv[4], nullptr, 10) : kDefaultSeed);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << "tarnwerk-benchgen: cannot write " << path << "\n";
        return 1;
    }
    bool written = false;
    if (kind == "bmp24" || kind == "bmp8") {
        const int bitCount = kind == "bmp24" ? 24 : 8;
        const uint64_t rowBytes = static_cast<uint64_t>(kBitmapWidth) * static_cast<uint64_t>(bitCount / 8);
        const auto height = static_cast<int32_t>((bytes + rowBytes - 1) / rowBytes);
        const std::vector<uint8_t> headers = BitmapHeaders(height, bitCount);
        out.write(reinterpret_cast<const char*>(headers.data()), static_cast<std::streamsize>(headers.size()));
        written = WriteRandom(out, rowBytes * static_cast<uint64_t>(height), random);
    } else if (kind == "raw" || kind == "random") {
        written = WriteRandom(out, bytes, random);
    } else if (kind == "text") {
        written = WriteText(out, bytes, random);
    } else {
        return Usage();
    }
    if (!written) {
        std::cerr << "tarnwerk-benchgen: writing " << path << " failed\n";
        return 1;
    }
    return 0;
}
