// Hostile PNG files: each gets its verdict from the analysis, with a reason where it is
// damaged, before anything is allocated for its picture, and no file changes.
#include <gtest/gtest.h>

#include "core/CarrierAnalysis.h"
#include "support/TempDir.h"
#include "support/TestPng.h"

namespace tarnwerk {
namespace {

using test::Bytes;
using test::png::Chunk;
namespace png = test::png;
using V = CarrierVerdict;

constexpr size_t kSignatureLength = 8;

Bytes Join(const std::vector<Chunk>& chunks) {
    Bytes file = png::Encode(png::RandomPicture(1, 1, 0, 8, false, 1));
    file.resize(kSignatureLength);
    for (const Chunk& chunk : chunks) {
        const Bytes bytes = png::ChunkBytes(chunk);
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    return file;
}
std::vector<Chunk> Valid(uint8_t colourType = 2, uint8_t depth = 8, std::vector<Chunk> before = {}) {
    return png::Chunks(png::Encode(png::RandomPicture(9, 7, colourType, depth, false, 4), before));
}
// The valid chunks with one changed by edit.
template <class Edit>
Bytes Edited(std::vector<Chunk> chunks, const std::string& type, Edit edit) {
    for (Chunk& chunk : chunks)
        if (chunk.type == type) edit(chunk.data);
    return Join(chunks);
}
Bytes Header(uint32_t width, uint32_t height, uint8_t depth = 8, uint8_t colourType = 2,
             std::vector<Chunk> before = {}) {
    return Edited(Valid(2, 8, std::move(before)), "IHDR", [&](Bytes& ihdr) {
        for (int i = 0; i < 4; ++i) {
            ihdr[static_cast<size_t>(i)] = static_cast<uint8_t>(width >> (24 - 8 * i));
            ihdr[static_cast<size_t>(4 + i)] = static_cast<uint8_t>(height >> (24 - 8 * i));
        }
        ihdr[8] = depth;
        ihdr[9] = colourType;
    });
}
Bytes Interlaced(Bytes file) {
    file[kSignatureLength + 8 + 12] = 1;  // IHDR's interlace byte
    const Chunk ihdr{"IHDR", Bytes(file.begin() + kSignatureLength + 8, file.begin() + kSignatureLength + 8 + 13)};
    const Bytes stored = png::ChunkBytes(ihdr);
    std::copy(stored.begin(), stored.end(), file.begin() + kSignatureLength);
    return file;
}
Bytes Moved(std::vector<Chunk> chunks, size_t from, size_t to) {
    const Chunk moved = chunks[from];
    chunks.erase(chunks.begin() + static_cast<ptrdiff_t>(from));
    chunks.insert(chunks.begin() + static_cast<ptrdiff_t>(to), moved);
    return Join(chunks);
}
Bytes FlippedCrc(const std::string& type) {
    Bytes file = Join(Valid(2, 8, {{"tEXt", {'k', 0, 'v'}}}));
    const auto at = std::search(file.begin(), file.end(), type.begin(), type.end());
    const uint32_t length = uint32_t{at[-4]} << 24 | uint32_t{at[-3]} << 16 | uint32_t{at[-2]} << 8 | at[-1];
    at[4 + length] ^= 0x01;
    return file;
}

struct HostileRow {
    std::string name;
    Bytes file;
    V verdict;
};
std::ostream& operator<<(std::ostream& out, const HostileRow& row) { return out << row.name; }

std::vector<HostileRow> Rows() {
    const Bytes whole = Join(Valid());
    std::vector<Chunk> split = Valid();
    split.insert(split.end() - 1, {"IDAT", {}});
    std::vector<Chunk> textBetween = split;
    textBetween.insert(textBetween.end() - 2, {"tEXt", {'k', 0}});
    return {
        {"BadCrcInImageData", FlippedCrc("IDAT"), V::Damaged},
        {"BadCrcInText", FlippedCrc("tEXt"), V::Damaged},
        {"CutInsideImageData", Bytes(whole.begin(), whole.end() - 20), V::Damaged},
        {"NoEndChunk", Bytes(whole.begin(), whole.end() - 12), V::Damaged},
        {"ZeroWidth", Header(0, 7), V::Damaged},
        {"ZeroHeight", Header(9, 0), V::Damaged},
        {"HugeDimensions", Header(65536, 65536), V::TooLarge},
        {"WiderThanTheReaderTakes", Header(2000000, 1), V::TooLarge},
        // As many pixels as the reader takes: streamed row by row, but too much to hold whole
        // when interlaced.
        {"LargestPicture", Header(16384, 16384, 16), V::Png},
        {"LargestPictureInterlaced", Interlaced(Header(16384, 16384, 16)), V::TooLarge},
        {"InterlacedPictureHeldWhole", Interlaced(Header(8000, 8000, 16)), V::Png},
        {"WiderThanTheFormatAllows", Header(0x80000000u, 1), V::Damaged},
        {"MissingPalette", Join(Valid(3)), V::Damaged},
        {"SixteenBitPalette", Header(9, 7, 16, 3), V::Damaged},
        {"PaletteInAGreyPicture", Join(Valid(0, 8, {{"PLTE", Bytes(9, 1)}})), V::Damaged},
        {"PaletteAfterImageData", Moved(Valid(3, 8, {{"PLTE", Bytes(768, 1)}}), 1, 2), V::Damaged},
        {"GammaAfterPalette", Join(Valid(3, 8, {{"PLTE", Bytes(768, 1)}, {"gAMA", {0, 0, 0xB1, 0x8F}}})), V::Damaged},
        {"ImageDataSplitByText", Join(textBetween), V::Damaged},
        {"HeaderNotFirst", Moved(Valid(2, 8, {{"tEXt", {'k', 0}}}), 1, 0), V::Damaged},
        {"UnknownCriticalChunk", Join(Valid(2, 8, {{"CRIT", {}}})), V::Damaged},
        {"FourBitGrey", Header(9, 7, 4, 0), V::UnsupportedDepth},
        {"OneBitPalette", Header(9, 7, 1, 3, {{"PLTE", Bytes(6, 1)}}), V::UnsupportedDepth},
        {"BitmapNamedPng", Bytes{'B', 'M', 0, 0}, V::NotValid},
        {"SplitImageDataIsFine", Join(split), V::Png},
    };
}

class PngHostileTest : public ::testing::TestWithParam<HostileRow> {};

TEST_P(PngHostileTest, GetsItsVerdictWithAReasonAndChangesNothing) {
    const HostileRow& row = GetParam();
    const test::TempDir dir;
    test::WriteFile(dir.File("c.png"), row.file);
    const CarrierAnalysis analysis = AnalyseCarrier(dir.File("c.png"));
    EXPECT_EQ(analysis.verdict, row.verdict) << analysis.detail;
    EXPECT_EQ(analysis.facts.IsLoaded(), row.verdict == V::Png);
    if (row.verdict == V::Damaged) {
        EXPECT_FALSE(analysis.detail.empty());
    }
    EXPECT_EQ(test::ReadFile(dir.File("c.png")), row.file);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"c.png"});
}

INSTANTIATE_TEST_SUITE_P(Table, PngHostileTest, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<HostileRow>& row) { return row.param.name; });

}  // namespace
}  // namespace tarnwerk
