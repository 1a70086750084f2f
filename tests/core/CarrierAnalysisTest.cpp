// The facts the analysis reports for carriers it accepts, the capacity formula, and sizes held to
// the real file length. The verdicts of hostile files: tests/reliability/HostileCarrierTest.
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
    EXPECT_EQ(bmp.facts.fileSize, static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(bmp.facts.realLength, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(bmp.facts.dataOffset, 54);
    EXPECT_EQ(bmp.facts.width, 13);
    EXPECT_EQ(bmp.facts.height, 7);
    EXPECT_EQ(bmp.facts.bitCount, 24);
    EXPECT_EQ(bmp.facts.imageSize, 40 * 7);  // 39 bytes a row padded to 40

    const auto topDown = Analyse(test::BitmapBytes(5, 3, 8, true, 2), "palette.dib");
    ASSERT_EQ(topDown.verdict, CarrierVerdict::Bitmap);
    EXPECT_EQ(topDown.facts.height, -3);
    EXPECT_EQ(topDown.facts.dataOffset, 54 + 1024);

    const auto raw = Analyse(test::RandomBytes(1000, 4), "scan.Raw");
    ASSERT_EQ(raw.verdict, CarrierVerdict::Raw);
    EXPECT_EQ(raw.facts.signature, "RAW");
    EXPECT_EQ(raw.facts.fileSize, 1000);
    EXPECT_EQ(raw.facts.imageSize, 1000);
    EXPECT_EQ(raw.facts.dataOffset, 0);

    const auto missing = AnalyseCarrier(dir_.File("missing.bmp"));
    EXPECT_EQ(missing.verdict, CarrierVerdict::NotValid);
    EXPECT_TRUE(missing.facts.path.empty() && missing.facts.signature.empty());
}

TEST_F(CarrierAnalysisTest, FreeSpaceFollowsBitsAndEncryption) {
    EXPECT_EQ(FreeSpace(1000, 1, false), 98);
    EXPECT_EQ(FreeSpace(1000, 1, true), 82);
    EXPECT_EQ(FreeSpace(1000, 4, false), 473);
    EXPECT_EQ(FreeSpace(100, 1, true), -31);  // small carriers go negative
}

// Stated sizes beyond the file, before its end or missing are held to the real length.
TEST_F(CarrierAnalysisTest, ClipsHostileSizesToTheFile) {
    const Bytes valid = test::BitmapBytes(16, 16, 24, false, 8);
    const auto length = static_cast<int32_t>(valid.size());
    struct Row {
        size_t field;
        int32_t value;
        int32_t fileSize, imageSize;
    };
    for (const Row& row : {Row{test::bmp::kFileSize, 0x7FFFFFFF, length, length - 54},
                           Row{test::bmp::kImageSize, 0x7FFFFFF0, length, length - 54},
                           Row{test::bmp::kImageSize, 0, length, length - 54},
                           Row{test::bmp::kFileSize, 54 + 100, 154, 100},
                           Row{test::bmp::kDataOffset, length - 1, length, 1}}) {
        Bytes bytes = valid;
        test::PutLe32(bytes, row.field, row.value);
        const auto analysis = Analyse(bytes);
        ASSERT_TRUE(analysis.accepted()) << row.field << "=" << row.value;
        EXPECT_EQ(analysis.facts.fileSize, row.fileSize) << row.field << "=" << row.value;
        EXPECT_EQ(analysis.facts.imageSize, row.imageSize) << row.field << "=" << row.value;
    }
}

}  // namespace
}  // namespace tarnwerk
