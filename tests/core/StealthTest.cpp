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
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Shape, bool>>& row) {
                             return std::string(std::get<0>(row.param).name) +
                                    (std::get<1>(row.param) ? "_compressed" : "_plain");
                         });

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

// A carrier the method cannot use, with the refusal it gets for a payload of the row's size.
Bytes Palette(bool greyRamp) {
    Bytes palette = test::BitmapBytes(200, 200, 8, false, 4);
    if (greyRamp)
        test::PutLe32(palette, 46, 128);  // a 128-entry ramp, but pixels use all 256 values
    else
        palette[test::kBmpHeaders + 4 * 77 + 1] ^= 0x40;  // entry 77 no longer grey
    return palette;
}
struct RefusalRow {
    const char* name;
    std::string file;
    Bytes carrier;
    size_t size;
    ErrorCode expected;
};
void PrintTo(const RefusalRow& row, std::ostream* out) { *out << row.name; }
class StealthRefusal : public StealthTest, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(StealthRefusal, RefusesAndLeavesTheFile) {
    const RefusalRow& row = GetParam();
    test::WriteFile(dir_.File(row.file), row.carrier);
    Status hidden = Hide(dir_.File(row.file), Payload(row.size, false));
    ASSERT_FALSE(hidden);
    EXPECT_EQ(hidden.error().code, row.expected);
    EXPECT_EQ(test::ReadFile(dir_.File(row.file)), row.carrier);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{row.file});
}

INSTANTIATE_TEST_SUITE_P(
    Carriers, StealthRefusal,
    ::testing::Values(
        RefusalRow{"TooSmall", "tiny.bmp", test::BitmapBytes(30, 30, 24, false, 11), 1, ErrorCode::CarrierTooSmall},
        RefusalRow{"PayloadTooLarge", "fits.bmp", test::BitmapBytes(101, 67, 24, false, 11), 5000,
                   ErrorCode::PayloadTooLarge},
        RefusalRow{"RawFile", "c.raw", test::RandomBytes(50000, 3), 1, ErrorCode::NoSamplePlane},
        RefusalRow{"ColourPalette", "palette.bmp", Palette(false), 1, ErrorCode::NoSamplePlane},
        RefusalRow{"ShortGreyRampUsedBeyondItsEnd", "short.bmp", Palette(true), 1, ErrorCode::NoSamplePlane}),
    [](const auto& row) { return std::string(row.param.name); });

// Every way of not finding data gives the same answer; a carrier holding 400 bytes.
class StealthNotFound : public StealthTest {
protected:
    void SetUp() override {
        path_ = Bitmap(140, 100, 24, false, "c.bmp");
        ASSERT_TRUE(Hide(path_, Payload(400, true)));
        carrier_ = test::ReadFile(path_);
    }
    std::string path_;
    Bytes carrier_;
};

TEST_F(StealthNotFound, CleanPicture) { ExpectNothingFound(Bitmap(140, 100, 24, false, "clean.bmp")); }

TEST_F(StealthNotFound, WrongOrEmptyPassphrase) {
    ExpectNothingFound(path_, "Tarnkappe 8");
    ExpectNothingFound(path_, "");
}

// One sample changed by one, at a few places (the salt's, the header's and the body's samples
// are all spread over the picture).
TEST_F(StealthNotFound, OneSampleChangedByOne) {
    for (size_t offset : {size_t{54}, carrier_.size() / 3, carrier_.size() / 2, carrier_.size() - 7}) {
        Bytes tampered = carrier_;
        tampered[offset] = static_cast<uint8_t>(tampered[offset] == 255 ? 254 : tampered[offset] + 1);
        test::WriteFile(dir_.File("t.bmp"), tampered);
        ExpectNothingFound(dir_.File("t.bmp"));
    }
}

// Cropped: the last stored row dropped and the header made to match.
TEST_F(StealthNotFound, CroppedByARow) {
    Bytes cropped(carrier_.begin(), carrier_.end() - test::BitmapRowBytes(140, 24));
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

// The same data under the same passphrase in two copies of one cover.
class StealthPattern : public StealthTest {
protected:
    void SetUp() override {
        const std::string first = Bitmap(200, 150, 24, false, "a.bmp");
        const std::string second = Bitmap(200, 150, 24, false, "b.bmp");
        cover_ = test::ReadFile(first);
        const StealthPayload payload = Payload(1200, false);
        ASSERT_TRUE(Hide(first, payload));
        ASSERT_TRUE(Hide(second, payload));
        a_ = test::ReadFile(first);
        b_ = test::ReadFile(second);
    }
    std::set<size_t> Changed(const Bytes& stego) const {
        std::set<size_t> changed;
        for (size_t i = 54; i < cover_.size(); ++i)
            if (stego[i] != cover_[i]) changed.insert(i);
        return changed;
    }
    Bytes cover_, a_, b_;
};

TEST_F(StealthPattern, NoMarkerInAnyLowBitReading) {
    for (int bits : {1, 2, 4})
        for (const Bytes* file : {&a_, &b_}) {
            const std::string stream = LowBitStream(*file, 54, bits);
            EXPECT_EQ(stream.find(kBeginMarker), std::string::npos) << bits;
            EXPECT_EQ(stream.find(kEndMarker), std::string::npos) << bits;
        }
}

// A fresh salt moves every change: the two sets of changed samples overlap about as much as
// two random sets would.
TEST_F(StealthPattern, AFreshSaltMovesEveryChange) {
    const std::set<size_t> changedA = Changed(a_), changedB = Changed(b_);
    size_t common = 0;
    for (size_t i : changedA) common += changedB.count(i);
    const double chance = static_cast<double>(changedA.size()) * static_cast<double>(changedB.size()) /
                          static_cast<double>(cover_.size() - 54);
    EXPECT_GT(changedA.size(), 100u);
    EXPECT_LT(static_cast<double>(common), 2.0 * chance + 10.0);
}

// Directions come from a keyed bit, not from the cover: up and down about equally often.
TEST_F(StealthPattern, ChangesGoUpAndDownAlike) {
    size_t up = 0, inner = 0;
    for (size_t i : Changed(a_))
        if (cover_[i] != 0 && cover_[i] != 255) {
            ++inner;
            up += a_[i] > cover_[i];
        }
    EXPECT_NEAR(static_cast<double>(up) / static_cast<double>(inner), 0.5, 0.1);
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
