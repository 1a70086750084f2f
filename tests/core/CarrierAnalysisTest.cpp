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
        const std::string path = dir_.File(name);
        test::WriteFile(path, bytes);
        return AnalyseCarrier(path);
    }

    test::TempDir dir_;
};

TEST_F(CarrierAnalysisTest, AcceptsBitmapsAndFillsTheFacts) {
    const Bytes bytes = test::BitmapBytes(13, 7, 24, false, 1);
    const auto analysis = Analyse(bytes, "picture.BMP");
    ASSERT_EQ(analysis.verdict, CarrierVerdict::Bitmap);
    EXPECT_EQ(analysis.facts.path, dir_.File("picture.BMP"));
    EXPECT_EQ(analysis.facts.signature, "BM");
    EXPECT_EQ(analysis.facts.fileSize, static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(analysis.facts.dataOffset, 54);
    EXPECT_EQ(analysis.facts.width, 13);
    EXPECT_EQ(analysis.facts.height, 7);
    EXPECT_EQ(analysis.facts.bitCount, 24);
    EXPECT_EQ(analysis.facts.imageSize, 40 * 7);  // 39 bytes a row padded to 40
    EXPECT_EQ(analysis.facts.realLength, static_cast<int64_t>(bytes.size()));

    const auto topDown = Analyse(test::BitmapBytes(5, 3, 8, true, 2), "palette.dib");
    ASSERT_EQ(topDown.verdict, CarrierVerdict::Bitmap);
    EXPECT_EQ(topDown.facts.height, -3);
    EXPECT_EQ(topDown.facts.dataOffset, 54 + 1024);
}

TEST_F(CarrierAnalysisTest, RepairsAMissingPictureSize) {
    Bytes bytes = test::BitmapBytes(10, 10, 24, false, 3);
    test::PutLe32(bytes, test::bmp::kImageSize, 0);
    const auto analysis = Analyse(bytes);
    ASSERT_TRUE(analysis.accepted());
    EXPECT_EQ(analysis.facts.imageSize, static_cast<int32_t>(bytes.size()) - 54);
}

TEST_F(CarrierAnalysisTest, RawFilesAreBarePictureBytes) {
    const auto analysis = Analyse(test::RandomBytes(1000, 4), "scan.Raw");
    ASSERT_EQ(analysis.verdict, CarrierVerdict::Raw);
    EXPECT_EQ(analysis.facts.signature, "RAW");
    EXPECT_EQ(analysis.facts.fileSize, 1000);
    EXPECT_EQ(analysis.facts.imageSize, 1000);
    EXPECT_EQ(analysis.facts.dataOffset, 0);
}

TEST_F(CarrierAnalysisTest, FreeSpaceFollowsBitsAndEncryption) {
    EXPECT_EQ(FreeSpace(1000, 1, false), 98);
    EXPECT_EQ(FreeSpace(1000, 1, true), 82);
    EXPECT_EQ(FreeSpace(1000, 4, false), 473);
    EXPECT_EQ(FreeSpace(8000, 1, false), 973);
    EXPECT_EQ(FreeSpace(100, 1, true), -31);  // small carriers go negative
}

// Verdict A: not a usable carrier at all.
TEST_F(CarrierAnalysisTest, RejectsWhatIsNotACarrier) {
    const Bytes valid = test::BitmapBytes(8, 8, 24, false, 5);
    auto expectNotValid = [&](const Bytes& bytes, const std::string& name) {
        const auto analysis = Analyse(bytes, name);
        EXPECT_EQ(analysis.verdict, CarrierVerdict::NotValid) << name;
        EXPECT_TRUE(analysis.facts.path.empty()) << name;
        EXPECT_TRUE(analysis.facts.signature.empty()) << name;
    };
    expectNotValid(valid, "valid.png");
    expectNotValid(valid, "no-extension");
    expectNotValid({}, "empty.raw");
    expectNotValid({}, "empty.bmp");
    expectNotValid(Bytes(valid.begin(), valid.begin() + 53), "short.bmp");

    Bytes wrongSignature = valid;
    wrongSignature[0] = 'X';
    expectNotValid(wrongSignature, "signature.bmp");
    Bytes noOffset = valid;
    test::PutLe32(noOffset, test::bmp::kDataOffset, 0);
    expectNotValid(noOffset, "offset0.bmp");
    Bytes noHeaderSize = valid;
    test::PutLe32(noHeaderSize, test::bmp::kHeaderSize, 0);
    expectNotValid(noHeaderSize, "header0.bmp");
    Bytes negativeImage = valid;
    test::PutLe32(negativeImage, test::bmp::kImageSize, -5);
    expectNotValid(negativeImage, "image-5.bmp");

    EXPECT_EQ(AnalyseCarrier(dir_.File("missing.bmp")).verdict, CarrierVerdict::NotValid);
    EXPECT_EQ(AnalyseCarrier(dir_.path() + "/.").verdict, CarrierVerdict::NotValid);
}

// Verdicts B and C come only after the checks of A, in the order of the validation.
TEST_F(CarrierAnalysisTest, RejectsCompressionBeforeDepth) {
    Bytes rle = test::BitmapBytes(8, 8, 8, false, 6);
    test::PutLe32(rle, test::bmp::kCompression, 1);
    EXPECT_EQ(Analyse(rle).verdict, CarrierVerdict::Compressed);

    Bytes rle32 = test::BitmapBytes(8, 8, 32, false, 6);
    test::PutLe32(rle32, test::bmp::kCompression, 3);
    EXPECT_EQ(Analyse(rle32).verdict, CarrierVerdict::Compressed);

    for (const int depth : {1, 4, 16, 32}) {
        const auto analysis = Analyse(test::BitmapBytes(8, 8, depth, false, 7));
        EXPECT_EQ(analysis.verdict, CarrierVerdict::UnsupportedDepth) << depth;
        EXPECT_EQ(analysis.facts.bitCount, depth);
        EXPECT_TRUE(analysis.facts.path.empty());
    }
}

// A header that claims more than the file holds is held to the real length.
TEST_F(CarrierAnalysisTest, ClipsHostileSizesToTheFile) {
    const Bytes valid = test::BitmapBytes(16, 16, 24, false, 8);
    const auto length = static_cast<int32_t>(valid.size());

    Bytes bigFile = valid;
    test::PutLe32(bigFile, test::bmp::kFileSize, 0x7FFFFFFF);
    test::PutLe32(bigFile, test::bmp::kImageSize, 0x7FFFFFF0);
    auto analysis = Analyse(bigFile);
    ASSERT_TRUE(analysis.accepted());
    EXPECT_EQ(analysis.facts.fileSize, length);
    EXPECT_EQ(analysis.facts.imageSize, length - 54);

    // A stated end before the real one bounds the picture size too.
    Bytes shortFile = valid;
    test::PutLe32(shortFile, test::bmp::kFileSize, 54 + 100);
    analysis = Analyse(shortFile);
    ASSERT_TRUE(analysis.accepted());
    EXPECT_EQ(analysis.facts.fileSize, 154);
    EXPECT_EQ(analysis.facts.imageSize, 100);

    Bytes negativeFile = valid;
    test::PutLe32(negativeFile, test::bmp::kFileSize, -1);
    EXPECT_EQ(Analyse(negativeFile).verdict, CarrierVerdict::NotValid);

    for (const int32_t offset : {length, length + 1, 0x7FFFFFFF, -54}) {
        Bytes badOffset = valid;
        test::PutLe32(badOffset, test::bmp::kDataOffset, offset);
        EXPECT_EQ(Analyse(badOffset).verdict, CarrierVerdict::NotValid) << offset;
    }

    // The area may end at the last byte: an offset just inside the file is still a carrier.
    Bytes lastByte = valid;
    test::PutLe32(lastByte, test::bmp::kDataOffset, length - 1);
    analysis = Analyse(lastByte);
    ASSERT_TRUE(analysis.accepted());
    EXPECT_EQ(analysis.facts.imageSize, 1);
}

}  // namespace
}  // namespace tarnwerk
