// Which carriers the stealth method takes, how much room it reports, and PNG carriers end to
// end through the file-level hide and extract.
#include <gtest/gtest.h>

#include "core/StealthExtract.h"
#include "core/StealthHide.h"
#include "core/StealthRoom.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"
#include "support/TestPng.h"

namespace tarnwerk {
namespace {

using test::Bytes;
namespace png = test::png;

constexpr Argon2Limits kFast{1, 8 * 1024};
constexpr const char* kPassphrase = "Nebelwand";

StealthPayload Payload(size_t size) {
    StealthPayload payload;
    payload.extension = "pdf";
    payload.data = test::RandomBytes(size, static_cast<uint32_t>(size) + 3);
    return payload;
}

Bytes Palette(int entries) {
    Bytes palette;
    for (int i = 0; i < entries; ++i) palette.insert(palette.end(), {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i)});
    return palette;
}

class StealthRoomTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) {
        test::WriteFile(dir_.File(name), bytes);
        return dir_.File(name);
    }
    test::TempDir dir_;
};

TEST_F(StealthRoomTest, TellsWhyACarrierCannotTakeIt) {
    Bytes paletteBmp = test::BitmapBytes(200, 200, 8, false, 4);
    paletteBmp[test::kBmpHeaders + 4 * 77 + 1] ^= 0x40;  // entry 77 no longer grey
    const png::Picture grey = png::RandomPicture(120, 100, 0, 8, false, 5);
    const struct {
        const char* name;
        Bytes bytes;
        StealthFit fit;
        ErrorCode error;
    } cases[] = {
        {"c.raw", test::RandomBytes(60000, 1), StealthFit::Raw, ErrorCode::NoSamplePlane},
        {"palette.bmp", paletteBmp, StealthFit::Palette, ErrorCode::NoSamplePlane},
        {"palette.png", png::Encode(png::RandomPicture(120, 100, 3, 8, false, 2), {{"PLTE", Palette(256)}}),
         StealthFit::Palette, ErrorCode::NoSamplePlane},
        {"trns.png", png::Encode(grey, {{"tRNS", {0, 7}}}), StealthFit::Refused, ErrorCode::CarrierRefused},
        {"tiny.bmp", test::BitmapBytes(30, 30, 24, false, 6), StealthFit::TooSmall, ErrorCode::CarrierTooSmall},
        {"text.bmp", Bytes(3000, 'x'), StealthFit::Unreadable, ErrorCode::CorruptData},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.name, c.bytes);
        const StealthAssessment assessed = AssessStealthCarrier(path);
        EXPECT_EQ(assessed.fit, c.fit) << c.name;
        EXPECT_EQ(assessed.error.code, c.error) << c.name;
        EXPECT_EQ(assessed.room.maximum, 0) << c.name;
        EXPECT_EQ(test::ReadFile(path), c.bytes) << c.name;
    }
}

TEST_F(StealthRoomTest, FlatAreasGiveNoRoomAndTheMaximumStillHides) {
    // Left 120 columns one flat grey, right 120 columns noise: HILL's window reaches 7 samples
    // and its high-pass 2 more into the noise, so between 110 and 120 columns stay usable.
    const int32_t width = 240, height = 160;
    Bytes file = test::BitmapBytes(width, height, 24, false, 9);
    const int32_t row = test::BitmapRowBytes(width, 24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < 120 * 3; ++x) file[size_t(test::kBmpHeaders + y * row + x)] = 90;
    const std::string path = Write("half.bmp", file);

    const StealthAssessment assessed = AssessStealthCarrier(path);
    ASSERT_EQ(assessed.fit, StealthFit::Fits);
    EXPECT_EQ(assessed.samples, uint64_t{width} * height * 3);
    EXPECT_GE(assessed.usableSamples, 110u * height * 3);
    EXPECT_LE(assessed.usableSamples, 120u * height * 3);
    const auto usable = static_cast<double>(assessed.usableSamples);
    EXPECT_NEAR(double(assessed.room.recommended), (0.1 * usable - 192) / 8 - 49, 1);
    EXPECT_NEAR(double(assessed.room.maximum), (0.5 * usable - 192) / 8 - 49, 1);

    // At the recommended room the coding never needs a flat sample. At the maximum it may
    // rarely be forced to change one (the format's page says so), but the data comes back.
    for (const int64_t size : {assessed.room.recommended, assessed.room.maximum}) {
        SCOPED_TRACE(size);
        const std::string copy = Write("copy.bmp", file);
        const StealthPayload payload = Payload(size_t(size));
        ASSERT_TRUE(HideStealthInFile(copy, copy, kPassphrase, payload, {}, kFast));
        const Bytes after = test::ReadFile(copy);
        for (int32_t y = 0; y < height && size == assessed.room.recommended; ++y)
            for (int32_t x = 0; x < 100 * 3; ++x)
                ASSERT_EQ(after[size_t(test::kBmpHeaders + y * row + x)], 90)
                    << "flat sample changed at " << x << "," << y;
        auto found = ExtractStealthFromFile(copy, kPassphrase, {}, kFast);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->data, payload.data);
    }

    Status tooMuch = HideStealthInFile(path, path, kPassphrase, Payload(size_t(assessed.room.maximum) + 1), {}, kFast);
    ASSERT_FALSE(tooMuch);
    EXPECT_EQ(tooMuch.error().code, ErrorCode::PayloadTooLarge);
    EXPECT_EQ(test::ReadFile(path), file);
}

TEST_F(StealthRoomTest, AMostlyFlatPictureIsRefusedAsTooFlat) {
    // 300 x 300, noise only in an 80 x 80 corner: some 15,000 usable samples would hold 900
    // bytes at half a bit each, but the salt's 4096 public samples hold only about 230 usable
    // ones, too few for its 128 bits (at least 512 are needed).
    const int32_t side = 300;
    Bytes file = test::BitmapBytes(side, side, 24, false, 12);
    const int32_t row = test::BitmapRowBytes(side, 24);
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x)
            if (y >= 80 || x >= 80)
                for (int c = 0; c < 3; ++c) file[size_t(test::kBmpHeaders + y * row + x * 3 + c)] = 200;
    const std::string path = Write("flat.bmp", file);
    const StealthAssessment assessed = AssessStealthCarrier(path);
    EXPECT_EQ(assessed.fit, StealthFit::TooSmall);
    EXPECT_EQ(assessed.error.code, ErrorCode::CarrierTooSmall);
    EXPECT_GT(assessed.usableSamples, 71u * 71 * 3);
    EXPECT_LT(assessed.usableSamples, 80u * 80 * 3);
    EXPECT_EQ(assessed.room.maximum, 0);
    Status hidden = HideStealthInFile(path, path, kPassphrase, Payload(10), {}, kFast);
    ASSERT_FALSE(hidden);
    EXPECT_EQ(hidden.error().code, ErrorCode::CarrierTooSmall);
    EXPECT_EQ(test::ReadFile(path), file);
}

TEST_F(StealthRoomTest, PngCarriersRoundTripAndKeepAlphaAndChunks) {
    const struct {
        uint8_t colourType, bitDepth;
        bool interlaced;
    } shapes[] = {{2, 8, false}, {0, 16, true}, {6, 8, false}, {4, 16, false}};
    for (const auto& shape : shapes) {
        const png::Picture picture = png::RandomPicture(131, 97, shape.colourType, shape.bitDepth, shape.interlaced, 8);
        const std::vector<png::Chunk> before{{"tEXt", {'k', 0, 'v'}}};
        const std::string carrier = Write("c.png", png::Encode(picture, before));
        const std::string target = dir_.File("out.png");
        const Bytes original = test::ReadFile(carrier);
        const StealthAssessment assessed = AssessStealthCarrier(carrier);
        ASSERT_EQ(assessed.fit, StealthFit::Fits);
        const int channels = png::Channels(shape.colourType);
        const int colour = shape.colourType == 0 || shape.colourType == 4 ? 1 : 3;
        EXPECT_EQ(assessed.samples, uint64_t{131} * 97 * colour);

        const StealthPayload payload = Payload(size_t(assessed.room.recommended));
        ASSERT_TRUE(HideStealthInFile(carrier, target, kPassphrase, payload, {}, kFast));
        EXPECT_EQ(test::ReadFile(carrier), original) << "the original stays";
        const Bytes written = test::ReadFile(target);
        EXPECT_EQ(png::Chunks(written)[1], before[0]);
        const png::Picture changed = png::Decode(written);
        const size_t bytes = shape.bitDepth / 8;
        size_t differing = 0;
        for (size_t at = 0; at < picture.samples.size(); at += bytes) {
            const size_t sample = at / bytes;
            const bool alpha = channels != colour && int(sample % channels) == channels - 1;
            int a = picture.samples[at], b = changed.samples[at];
            if (bytes == 2) a = a << 8 | picture.samples[at + 1], b = b << 8 | changed.samples[at + 1];
            ASSERT_LE(std::abs(a - b), alpha ? 0 : 1) << "sample " << sample;
            differing += a != b;
        }
        EXPECT_GT(differing, 0u);
        auto found = ExtractStealthFromFile(target, kPassphrase, {}, kFast);
        ASSERT_TRUE(found) << int(shape.colourType);
        EXPECT_EQ(found->data, payload.data);
        EXPECT_EQ(found->extension, "pdf");
    }
}

}  // namespace
}  // namespace tarnwerk
