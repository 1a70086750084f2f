// The stealth method through its public interface: bitmap round trips, what it refuses, the
// single answer for every way of not finding data, and the absence of fixed patterns.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "core/BitmapPlane.h"
#include "core/PayloadFormat.h"
#include "core/StealthExtract.h"
#include "core/StealthHide.h"
#include "core/StealthRoom.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

// Argon2id at its floor: same code paths, milliseconds instead of a second.
constexpr Argon2Limits kFast{1, 8 * 1024};
constexpr const char* kPassphrase = "Tarnkappe 7";

StealthPayload Payload(size_t size, bool compressed, const std::string& extension = "txt") {
    StealthPayload payload;
    payload.compressed = compressed;
    payload.extension = extension;
    payload.data = test::RandomBytes(size, static_cast<uint32_t>(size));
    return payload;
}

class StealthTest : public ::testing::Test {
protected:
    std::string Bitmap(int32_t width, int32_t height, int bits, bool topDown, const std::string& name = "c.bmp") {
        test::MakeBitmap(dir_.File(name), width, height, bits, topDown, 11);
        return dir_.File(name);
    }
    Status Hide(const std::string& path, const StealthPayload& payload, const StealthRun& run = {}) {
        return HideStealthInFile(path, path, kPassphrase, payload, run, kFast);
    }
    Result<StealthPayload> Extract(const std::string& path, const char* passphrase = kPassphrase) {
        return ExtractStealthFromFile(path, passphrase, {}, kFast);
    }
    // Every way of not finding data must look alike, and the carrier must stay as it is.
    void ExpectNothingFound(const std::string& path, const char* passphrase = kPassphrase) {
        const Bytes before = test::ReadFile(path);
        const auto entries = dir_.Entries();
        auto found = Extract(path, passphrase);
        ASSERT_FALSE(found);
        EXPECT_EQ(found.error().code, ErrorCode::NothingFound);
        EXPECT_EQ(test::ReadFile(path), before);
        EXPECT_EQ(dir_.Entries(), entries);
    }
    test::TempDir dir_;
};

struct Shape {
    const char* name;
    int32_t width, height;
    int bits;
    bool topDown;
};
void PrintTo(const Shape& shape, std::ostream* out) { *out << shape.name; }

class StealthRoundTrip : public StealthTest, public ::testing::WithParamInterface<std::tuple<Shape, bool>> {};

TEST_P(StealthRoundTrip, GivesTheDataBackByteForByte) {
    const auto [shape, compressed] = GetParam();
    const std::string path = Bitmap(shape.width, shape.height, shape.bits, shape.topDown);
    const Bytes before = test::ReadFile(path);
    const StealthAssessment room = AssessStealthCarrier(path);
    ASSERT_EQ(room.fit, StealthFit::Fits);
    const StealthPayload payload = Payload(static_cast<size_t>(room.room.maximum), compressed, "tar.gz");

    ASSERT_TRUE(Hide(path, payload));
    const Bytes after = test::ReadFile(path);
    ASSERT_EQ(after.size(), before.size());
    const size_t pixels = static_cast<size_t>(test::GetLe32(before, 10));
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + static_cast<long>(pixels), after.begin()))
        << "headers and colour table stay";
    for (size_t i = pixels; i < after.size(); ++i) ASSERT_LE(std::abs(after[i] - before[i]), 1) << "offset " << i;

    auto found = Extract(path);
    ASSERT_TRUE(found) << static_cast<int>(found.error().code);
    EXPECT_EQ(found->data, payload.data);
    EXPECT_EQ(found->compressed, compressed);
    EXPECT_EQ(found->extension, "tar.gz");
}

INSTANTIATE_TEST_SUITE_P(Carriers, StealthRoundTrip,
                         ::testing::Combine(::testing::Values(Shape{"colour_odd_width", 101, 67, 24, false},
                                                              Shape{"colour_top_down", 96, 80, 24, true},
                                                              Shape{"grey_odd_width", 173, 151, 8, false},
                                                              Shape{"grey_top_down", 160, 160, 8, true}),
                                            ::testing::Bool()));

TEST_F(StealthTest, ShortGreyRampKeepsEveryPixelInsideIt) {
    // A 128-entry ramp: pixel values 0..127, and a change must never reach 128.
    Bytes file = test::BitmapBytes(181, 140, 8, false, 6);
    test::PutLe32(file, 46, 128);
    const size_t pixels = static_cast<size_t>(test::GetLe32(file, test::bmp::kDataOffset));
    for (size_t i = pixels; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i % 7 == 0 ? 127 : file[i] & 127);
    test::WriteFile(dir_.File("ramp.bmp"), file);
    const StealthPayload payload = Payload(900, false);
    ASSERT_TRUE(Hide(dir_.File("ramp.bmp"), payload));
    const Bytes after = test::ReadFile(dir_.File("ramp.bmp"));
    EXPECT_NE(after, file);
    for (size_t i = pixels; i < after.size(); ++i) ASSERT_LT(after[i], 128) << "offset " << i;
    auto found = Extract(dir_.File("ramp.bmp"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->data, payload.data);
}

TEST_F(StealthTest, EmptyDataAndLongExtensionRoundTrip) {
    const std::string path = Bitmap(120, 90, 24, false);
    ASSERT_TRUE(Hide(path, Payload(0, false, "verylongext")));
    auto found = Extract(path);
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->data.empty());
    EXPECT_EQ(found->extension, "verylong") << "cut to the 8-byte field as in the classic header";
}

TEST_F(StealthTest, RefusesWhatItCannotCarryAndLeavesTheFile) {
    const std::string tiny = Bitmap(30, 30, 24, false, "tiny.bmp");
    const std::string fits = Bitmap(101, 67, 24, false, "fits.bmp");
    test::MakeRaw(dir_.File("c.raw"), 50000, 3);
    Bytes palette = test::BitmapBytes(200, 200, 8, false, 4);
    palette[test::kBmpHeaders + 4 * 77 + 1] ^= 0x40;  // entry 77 no longer grey
    test::WriteFile(dir_.File("palette.bmp"), palette);
    Bytes shortRamp = test::BitmapBytes(200, 200, 8, false, 4);
    test::PutLe32(shortRamp, 46, 128);  // a 128-entry ramp, but pixels use all 256 values
    test::WriteFile(dir_.File("short.bmp"), shortRamp);

    const struct {
        std::string path;
        size_t size;
        ErrorCode expected;
    } cases[] = {
        {tiny, 1, ErrorCode::CarrierTooSmall},
        {fits, 5000, ErrorCode::PayloadTooLarge},
        {dir_.File("c.raw"), 1, ErrorCode::NoSamplePlane},
        {dir_.File("palette.bmp"), 1, ErrorCode::NoSamplePlane},
        {dir_.File("short.bmp"), 1, ErrorCode::NoSamplePlane},
    };
    for (const auto& c : cases) {
        const Bytes before = test::ReadFile(c.path);
        const auto entries = dir_.Entries();
        Status hidden = Hide(c.path, Payload(c.size, false));
        ASSERT_FALSE(hidden) << c.path;
        EXPECT_EQ(hidden.error().code, c.expected) << c.path;
        EXPECT_EQ(test::ReadFile(c.path), before) << c.path;
        EXPECT_EQ(dir_.Entries(), entries) << c.path;
    }
}

TEST_F(StealthTest, EveryWayOfNotFindingGivesTheSameAnswer) {
    const std::string clean = Bitmap(140, 100, 24, false, "clean.bmp");
    ExpectNothingFound(clean);

    const std::string path = Bitmap(140, 100, 24, false, "c.bmp");
    ASSERT_TRUE(Hide(path, Payload(400, true)));
    const Bytes carrier = test::ReadFile(path);
    ExpectNothingFound(path, "Tarnkappe 8");
    ExpectNothingFound(path, "");

    // One sample changed by one, at a few places (the salt's, the header's and the body's
    // samples are all spread over the picture).
    for (size_t offset : {size_t{54}, carrier.size() / 3, carrier.size() / 2, carrier.size() - 7}) {
        Bytes tampered = carrier;
        tampered[offset] = static_cast<uint8_t>(tampered[offset] == 255 ? 254 : tampered[offset] + 1);
        test::WriteFile(dir_.File("t.bmp"), tampered);
        ExpectNothingFound(dir_.File("t.bmp"));
    }

    // Cropped: the last stored row dropped and the header made to match.
    Bytes cropped(carrier.begin(), carrier.end() - test::BitmapRowBytes(140, 24));
    test::PutLe32(cropped, test::bmp::kHeight, 99);
    test::PutLe32(cropped, test::bmp::kFileSize, static_cast<int32_t>(cropped.size()));
    test::PutLe32(cropped, test::bmp::kImageSize, static_cast<int32_t>(cropped.size()) - 54);
    test::WriteFile(dir_.File("cropped.bmp"), cropped);
    ExpectNothingFound(dir_.File("cropped.bmp"));
}

// The low bits of a stealth carrier read as 1, 2 or 4 bits per byte, as the classic method does.
std::string LowBitStream(const Bytes& file, size_t from, int bits) {
    std::string stream;
    uint32_t value = 0;
    int filled = 0;
    for (size_t i = from; i < file.size(); ++i) {
        value |= (file[i] & ((1u << bits) - 1u)) << filled;
        filled += bits;
        if (filled == 8) {
            stream.push_back(static_cast<char>(value));
            value = 0;
            filled = 0;
        }
    }
    return stream;
}

TEST_F(StealthTest, LeavesNoFixedPattern) {
    const std::string first = Bitmap(200, 150, 24, false, "a.bmp");
    const std::string second = Bitmap(200, 150, 24, false, "b.bmp");
    const Bytes cover = test::ReadFile(first);
    const StealthPayload payload = Payload(1200, false);
    ASSERT_TRUE(Hide(first, payload));
    ASSERT_TRUE(Hide(second, payload));
    const Bytes a = test::ReadFile(first), b = test::ReadFile(second);
    for (int bits : {1, 2, 4})
        for (const Bytes* file : {&a, &b}) {
            const std::string stream = LowBitStream(*file, 54, bits);
            EXPECT_EQ(stream.find(kBeginMarker), std::string::npos);
            EXPECT_EQ(stream.find(kEndMarker), std::string::npos);
        }

    // Same data, same passphrase: a fresh salt moves every change. The two sets of changed
    // samples overlap about as much as two random sets would.
    std::set<size_t> changedA, changedB;
    for (size_t i = 54; i < cover.size(); ++i) {
        if (a[i] != cover[i]) changedA.insert(i);
        if (b[i] != cover[i]) changedB.insert(i);
    }
    size_t common = 0;
    for (size_t i : changedA) common += changedB.count(i);
    // Directions come from a keyed bit, not from the cover: up and down about equally often.
    size_t up = 0, inner = 0;
    for (size_t i : changedA)
        if (cover[i] != 0 && cover[i] != 255) {
            ++inner;
            up += a[i] > cover[i];
        }
    EXPECT_NEAR(static_cast<double>(up) / static_cast<double>(inner), 0.5, 0.1);
    const double chance = static_cast<double>(changedA.size()) * static_cast<double>(changedB.size()) /
                          static_cast<double>(cover.size() - 54);
    EXPECT_GT(changedA.size(), 100u);
    EXPECT_LT(static_cast<double>(common), 2.0 * chance + 10.0);
}

TEST_F(StealthTest, RefusesACarrierAnotherProcessIsWriting) {
    const std::string path = Bitmap(120, 90, 24, false);
    const Bytes before = test::ReadFile(path);
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    Status hidden = Hide(path, Payload(10, false));
    auto found = Extract(path);
    ::close(holder);
    ASSERT_FALSE(hidden);
    EXPECT_EQ(hidden.error().code, ErrorCode::CarrierBusy);
    ASSERT_FALSE(found);
    EXPECT_EQ(found.error().code, ErrorCode::CarrierBusy) << "not the answer for a clean picture";
    EXPECT_EQ(test::ReadFile(path), before);
}

TEST_F(StealthTest, CancelStopsAndLeavesTheCarrier) {
    const std::string path = Bitmap(300, 300, 24, false);
    const Bytes before = test::ReadFile(path);
    std::atomic<bool> cancel{true};
    StealthRun run;
    run.cancel = &cancel;
    Status hidden = Hide(path, Payload(100, false), run);
    ASSERT_FALSE(hidden);
    EXPECT_EQ(hidden.error().code, ErrorCode::Cancelled);
    EXPECT_EQ(test::ReadFile(path), before);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"c.bmp"});
}

TEST_F(StealthTest, ProgressClimbsToTheEndOnTheCallingThread) {
    // 700 x 400 colour: several body segments.
    const std::string path = Bitmap(700, 400, 24, false);
    std::vector<int> seen;
    const auto caller = std::this_thread::get_id();
    bool sameThread = true;
    StealthRun run;
    run.progress = [&](int percent) {
        seen.push_back(percent);
        sameThread = sameThread && std::this_thread::get_id() == caller;
    };
    ASSERT_TRUE(Hide(path, Payload(3000, false), run));
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(sameThread);
}

}  // namespace
}  // namespace tarnwerk
