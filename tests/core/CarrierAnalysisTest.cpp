// The facts the analysis reports and the capacity formula; hostile files: tests/reliability.
#include <gtest/gtest.h>

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

TEST_F(CarrierAnalysisTest, FreeSpaceFollowsBitsAndEncryption) {
    EXPECT_EQ(FreeSpace(1000, 1, false), 98);
    EXPECT_EQ(FreeSpace(1000, 1, true), 82);
    EXPECT_EQ(FreeSpace(1000, 4, false), 473);
    EXPECT_EQ(FreeSpace(100, 1, true), -31);  // small carriers go negative
}

}  // namespace
}  // namespace tarnwerk
