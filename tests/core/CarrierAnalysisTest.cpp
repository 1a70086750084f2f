// The facts the analysis reports and the capacity formula; hostile files: tests/reliability.
#include <gtest/gtest.h>

#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

class CarrierAnalysisTest : public ::testing::Test {
protected:
    CarrierAnalysis Analyse(const Bytes& bytes, const std::string& name = "carrier.bmp") {
        test::WriteFile(dir_.File(name), bytes);
        return AnalyseCarrier(dir_.File(name));
    }
    test::TempDir dir_;
};

TEST_F(CarrierAnalysisTest, FillsTheFactsOfBitmapsAndRawFiles) {
    const Bytes bytes = test::BitmapBytes(13, 7, 24, false, 1);
    const auto bmp = Analyse(bytes, "picture.BMP");
    ASSERT_EQ(bmp.verdict, CarrierVerdict::Bitmap);
    EXPECT_EQ(bmp.facts.path, dir_.File("picture.BMP"));
    EXPECT_EQ(bmp.facts.signature, "BM");
    EXPECT_TRUE(bmp.facts.fileSize == static_cast<int32_t>(bytes.size()) && bmp.facts.realLength == bmp.facts.fileSize);
    EXPECT_EQ(bmp.facts.dataOffset, 54);
    EXPECT_EQ(bmp.facts.width, 13);
    EXPECT_EQ(bmp.facts.height, 7);
    EXPECT_EQ(bmp.facts.bitCount, 24);
    EXPECT_EQ(bmp.facts.imageSize, 40 * 7);  // 39 bytes a row padded to 40

    const auto raw = Analyse(test::RandomBytes(1000, 4), "scan.Raw");
    ASSERT_EQ(raw.verdict, CarrierVerdict::Raw);
    EXPECT_EQ(raw.facts.signature, "RAW");
    EXPECT_EQ(raw.facts.fileSize, 1000);
    EXPECT_EQ(raw.facts.imageSize, 1000);
    EXPECT_EQ(raw.facts.dataOffset, 0);
}

// Markers (16), header (10 or 26) and the reserve (8) come off the stream the area holds.
TEST(Capacity, LargestPayloadAndSmallestAreaAreExactInverses) {
    EXPECT_EQ(LargestPayload(1000, 1, false), 125 - 34);
    EXPECT_EQ(LargestPayload(1000, 1, true), 125 - 50);
    EXPECT_EQ(LargestPayload(1000, 4, false), 500 - 34);
    EXPECT_EQ(LargestPayload(1003, 2, false), 250 - 34);  // a part stream byte holds nothing
    EXPECT_EQ(LargestPayload(100, 1, true), 12 - 50);     // small carriers go negative
    EXPECT_EQ(SmallestCarrierArea(0, 1, false), 34 * 8);
    EXPECT_EQ(SmallestCarrierArea(966, 1, false), 8000);
    EXPECT_EQ(SmallestCarrierArea(100, 4, true), 150 * 2);
    for (const int b : {1, 2, 4})
        for (const bool encrypted : {false, true})
            for (int64_t n = 0; n < 300; ++n) {
                const int64_t area = SmallestCarrierArea(n, b, encrypted);
                ASSERT_EQ(LargestPayload(area, b, encrypted), n) << b << encrypted << n;
                ASSERT_EQ(LargestPayload(area - 1, b, encrypted), n - 1) << b << encrypted << n;
            }
}

TEST_F(CarrierAnalysisTest, PixelRowsOrAProfileEndTheHideArea) {
    // 10 x 4 pixels: rows of 32 bytes, 128 bytes of pixels, then 700 bytes of profile.
    EXPECT_EQ(Analyse(test::V5BitmapWithProfile(10, 4, 700, 0)).facts.imageSize, 128);
    EXPECT_EQ(Analyse(test::V5BitmapWithProfile(10, 4, 700, 828)).facts.imageSize, 128);  // size claims the profile too
    EXPECT_EQ(Analyse(test::V5BitmapWithProfile(10, 4, 700, 100)).facts.imageSize, 100);
    Bytes trailing = test::BitmapBytes(10, 4, 24, false, 3);
    trailing.resize(trailing.size() + 50, 0xAB);
    test::PutLe32(trailing, test::bmp::kFileSize, static_cast<int32_t>(trailing.size()));
    test::PutLe32(trailing, test::bmp::kImageSize, 0);
    EXPECT_EQ(Analyse(trailing).facts.imageSize, 128);
    test::PutLe32(trailing, test::bmp::kImageSize, 178);  // a stated size without a profile is kept
    EXPECT_EQ(Analyse(trailing).facts.imageSize, 178);
}

// Pillow writes only the colours an 8-bit picture uses; such a table is too short for hiding.
TEST_F(CarrierAnalysisTest, ShortColourTablesAreMarked) {
    Bytes full = test::BitmapBytes(16, 4, 8, false, 5);
    EXPECT_FALSE(Analyse(full).facts.shortColourTable);
    test::PutLe32(full, 46, 19);  // biClrUsed
    EXPECT_TRUE(Analyse(full).facts.shortColourTable);
    test::PutLe32(full, 46, 0);
    test::PutLe32(full, test::bmp::kDataOffset, 54 + 19 * 4);  // only 19 entries fit before the pixels
    EXPECT_TRUE(Analyse(full).facts.shortColourTable);
    EXPECT_FALSE(Analyse(test::BitmapBytes(16, 4, 24, false, 5)).facts.shortColourTable);
}

}  // namespace
}  // namespace tarnwerk
