#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <gtest/gtest.h>

#include "core/BitPlacement.h"
#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class HideExtractTest : public ::testing::Test {
protected:
    CarrierFacts Load(const std::string& name) {
        const auto analysis = AnalyseCarrier(dir_.File(name));
        EXPECT_TRUE(analysis.accepted()) << name;
        return analysis.facts;
    }

    PayloadSource Source(const Bytes& data, const std::string& extension = "dat") {
        test::WriteFile(dir_.File("payload"), data);
        PayloadSource source;
        source.path = dir_.File("payload");
        source.size = static_cast<int64_t>(data.size());
        source.extension = extension;
        return source;
    }

    // The carrier as hiding must leave it: the stream's bits placed from the area's start on,
    // every other byte as it was.
    static Bytes Expected(Bytes carrier, const CarrierFacts& facts, int b, const PayloadSource& source, const Bytes& data) {
        const std::string stream = std::string(kBeginMarker) +
                                   BuildPayloadHeader(source.compressed, source.encrypted, source.cipher,
                                                      source.checkValue, source.extension) +
                                   AsText(data) + std::string(kEndMarker);
        PlaceBits(carrier.data() + facts.dataOffset, reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), b);
        return carrier;
    }

    test::TempDir dir_;
};

struct CarrierCase {
    const char* name;
    int32_t width, height;
    int bitCount;  // 0: RAW of width bytes
    bool topDown;
};

void PrintTo(const CarrierCase& shape, std::ostream* out) { *out << shape.name; }

class CarrierRoundTrip : public HideExtractTest, public ::testing::WithParamInterface<std::tuple<CarrierCase, int>> {};

TEST_P(CarrierRoundTrip, HidesExtractsAndExportsByteForByte) {
    const auto [shape, b] = GetParam();
    const Bytes original = shape.bitCount == 0
                               ? test::MakeRaw(dir_.File(shape.name), static_cast<size_t>(shape.width), 21)
                               : test::MakeBitmap(dir_.File(shape.name), shape.width, shape.height, shape.bitCount,
                                                  shape.topDown, 21);
    const CarrierFacts facts = Load(shape.name);
    const Bytes data = test::RandomBytes(static_cast<size_t>(FreeSpace(facts.imageSize, b, false) - 7), 5);
    const PayloadSource source = Source(data, "tar");

    ASSERT_TRUE(HidePayload(facts, b, source));
    EXPECT_EQ(test::ReadFile(facts.path), Expected(original, facts, b, source, data));

    auto extracted = ExtractPayload(facts, b, dir_.File("out.tar"));
    ASSERT_TRUE(extracted) << extracted.error().detail;
    EXPECT_EQ(extracted->bitsPerByte, b);
    EXPECT_EQ(extracted->header.extension, "tar");
    EXPECT_EQ(extracted->header.cipher, 255);
    EXPECT_EQ(extracted->size, static_cast<int64_t>(data.size()));
    EXPECT_EQ(test::ReadFile(dir_.File("out.tar")), data);

    auto exported = ExportPayload(facts, b, dir_.File("stream"));
    ASSERT_TRUE(exported);
    const Bytes stream = test::ReadFile(dir_.File("stream"));
    EXPECT_EQ(*exported, (facts.fileSize - facts.dataOffset - 1) * b / 8);
    EXPECT_EQ(AsText(Bytes(stream.begin(), stream.begin() + 8)), kBeginMarker);
    EXPECT_EQ(Bytes(stream.begin() + 18, stream.begin() + 18 + static_cast<ptrdiff_t>(data.size())), data);
}

INSTANTIATE_TEST_SUITE_P(
    Carriers, CarrierRoundTrip,
    ::testing::Combine(::testing::Values(CarrierCase{"odd8.bmp", 37, 23, 8, false},
                                         CarrierCase{"odd24.bmp", 41, 19, 24, true},
                                         CarrierCase{"small24.bmp", 20, 20, 24, false},
                                         CarrierCase{"plain.raw", 70001, 0, 0, false}),
                       ::testing::Values(1, 2, 4)));

TEST_F(HideExtractTest, EngineCapacityTestIsStricterThanFreeSpace) {
    test::MakeRaw(dir_.File("c.raw"), 8000, 1);
    const CarrierFacts facts = Load("c.raw");
    const Bytes before = test::ReadFile(facts.path);
    auto refused = HidePayload(facts, 1, Source(Bytes(967, 'x')));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ErrorCode::PayloadTooLarge);
    EXPECT_EQ(test::ReadFile(facts.path), before);
    EXPECT_TRUE(HidePayload(facts, 1, Source(Bytes(966, 'x'))));
}

TEST_F(HideExtractTest, ExportCoversWholeStreamBytesBeforeTheLastByte) {
    test::MakeRaw(dir_.File("c.raw"), 1000, 2);
    const CarrierFacts facts = Load("c.raw");
    EXPECT_EQ(*ExportPayload(facts, 1, dir_.File("one")), 124);
    EXPECT_EQ(*ExportPayload(facts, 4, dir_.File("four")), 499);
    EXPECT_EQ(test::ReadFile(dir_.File("four")).size(), 499u);
}

TEST_F(HideExtractTest, EndMarkerAcrossBlockOrChunkBoundariesIsCutExactly) {
    test::MakeRaw(dir_.File("c.raw"), 300000, 3);
    const CarrierFacts facts = Load("c.raw");
    // 231..237: the marker straddles a 256-byte block; around 32765 one of the engine's chunks.
    for (const size_t n : {0u, 231u, 234u, 237u, 238u, 32762u, 32765u, 32768u}) {
        const Bytes data = test::RandomBytes(n, static_cast<uint32_t>(n));
        ASSERT_TRUE(HidePayload(facts, 1, Source(data)));
        auto extracted = ExtractPayload(facts, 1, dir_.File("out"));
        ASSERT_TRUE(extracted);
        EXPECT_EQ(test::ReadFile(dir_.File("out")), data) << n;
    }
}

TEST_F(HideExtractTest, NearMissesOfTheEndMarkerStayInTheData) {
    test::MakeRaw(dir_.File("c.raw"), 600000, 5);
    const CarrierFacts facts = Load("c.raw");
    // Runs of the marker's first character and every proper prefix of the marker, also at the
    // very end of the data, where a search must not read past what is decoded.
    Bytes data;
    const std::string marker(kEndMarker);
    while (data.size() < 40000) {
        data.insert(data.end(), 9, static_cast<uint8_t>(marker[0]));
        for (size_t k = 1; k < marker.size(); ++k) {
            data.insert(data.end(), marker.begin(), marker.begin() + static_cast<std::ptrdiff_t>(k));
            data.push_back('x');
        }
    }
    // (The full prefix at the very end would join the real end marker's "~" into a marker.)
    for (size_t k = 1; k + 1 < marker.size(); ++k) {
        Bytes tail = data;
        tail.insert(tail.end(), marker.begin(), marker.begin() + static_cast<std::ptrdiff_t>(k));
        ASSERT_TRUE(HidePayload(facts, 2, Source(tail)));
        ASSERT_TRUE(ExtractPayload(facts, 2, dir_.File("out")));
        EXPECT_EQ(test::ReadFile(dir_.File("out")), tail) << k;
    }
}

TEST_F(HideExtractTest, ReadsHeaderOfEncryptedPayloadOnTheThirdProbe) {
    test::MakeBitmap(dir_.File("c.bmp"), 64, 64, 24, false, 4);
    const CarrierFacts facts = Load("c.bmp");
    PayloadSource source = Source(Bytes(100, 7), "verylongext");
    source.encrypted = true;
    source.compressed = true;
    source.cipher = 2;
    source.checkValue = std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\xFA\xFB\xFC\xFD\xFE\xFF", 16);
    ASSERT_TRUE(HidePayload(facts, 4, source));

    auto found = ReadPayloadHeader(facts);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->bitsPerByte, 4);
    EXPECT_EQ(found->header.flags, 3);
    EXPECT_EQ(found->header.cipher, 2);
    EXPECT_EQ(found->header.checkValue, source.checkValue);
    EXPECT_EQ(found->header.extension, "verylong");
    auto extracted = ExtractPayload(facts, 1, dir_.File("out"));
    ASSERT_TRUE(extracted);
    EXPECT_EQ(test::ReadFile(dir_.File("out")), Bytes(100, 7));
}

TEST_F(HideExtractTest, MissingEndMarkerDeliversTheRestOfTheArea) {
    const Bytes original = test::MakeRaw(dir_.File("c.raw"), 4001, 5);
    const CarrierFacts facts = Load("c.raw");
    ASSERT_TRUE(HidePayload(facts, 2, Source(Bytes(50, 'a'))));
    Bytes carrier = test::ReadFile(facts.path);
    carrier[(18 + 50) * 4] ^= 0x02;  // first bit of the end marker
    test::WriteFile(facts.path, carrier);
    auto extracted = ExtractPayload(facts, 2, dir_.File("out"));
    ASSERT_TRUE(extracted);
    EXPECT_EQ(extracted->size, 4000 * 2 / 8 - 18);
}

TEST_F(HideExtractTest, ShorterStreamOverAnOldOneEndsAtItsOwnMarker) {
    test::MakeRaw(dir_.File("c.raw"), 20000, 6);
    const CarrierFacts facts = Load("c.raw");
    ASSERT_TRUE(HidePayload(facts, 1, Source(Bytes(1500, 'L'))));
    ASSERT_TRUE(HidePayload(facts, 1, Source(Bytes(40, 's'))));
    ASSERT_TRUE(ExtractPayload(facts, 1, dir_.File("out")));
    EXPECT_EQ(test::ReadFile(dir_.File("out")), Bytes(40, 's'));
}

TEST_F(HideExtractTest, FailuresLeaveAnExistingOutputAndNoStrayFiles) {
    test::MakeRaw(dir_.File("c.raw"), 5000, 7);
    const CarrierFacts facts = Load("c.raw");
    test::WriteFile(dir_.File("out"), Bytes{'o', 'l', 'd'});
    auto missing = ExtractPayload(facts, 1, dir_.File("out"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ErrorCode::NoDataFound);
    EXPECT_EQ(ReadPayloadHeader(facts).error().code, ErrorCode::NoDataFound);
    EXPECT_EQ(test::ReadFile(dir_.File("out")), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.raw", "out"}));

    auto noFolder = ExportPayload(facts, 1, dir_.File("none/out"));
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.error().code, ErrorCode::Io);
    EXPECT_EQ(noFolder.error().number, ENOENT);

    ASSERT_TRUE(HidePayload(facts, 1, Source(Bytes(10, 'n'))));
    ASSERT_TRUE(ExtractPayload(facts, 1, dir_.File("out")));
    EXPECT_EQ(test::ReadFile(dir_.File("out")), Bytes(10, 'n'));
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.raw", "out", "payload"}));
}

TEST_F(HideExtractTest, ReportsMissingInputsAndIoErrorsBeforeTouchingTheCarrier) {
    const Bytes original = test::MakeRaw(dir_.File("c.raw"), 5000, 8);
    const CarrierFacts facts = Load("c.raw");
    EXPECT_EQ(HidePayload(CarrierFacts{}, 1, Source({})).error().code, ErrorCode::NoCarrier);
    EXPECT_EQ(HidePayload(facts, 1, PayloadSource{}).error().code, ErrorCode::NoPayload);
    EXPECT_EQ(ExtractPayload(facts, 1, "").error().code, ErrorCode::NoPayload);
    EXPECT_EQ(ExportPayload(CarrierFacts{}, 1, dir_.File("x")).error().code, ErrorCode::NoCarrier);

    PayloadSource gone = Source(Bytes(10, 1));
    gone.path = dir_.File("gone");
    const auto missing = HidePayload(facts, 1, gone);
    EXPECT_EQ(missing.error().code, ErrorCode::Io);
    EXPECT_EQ(missing.error().number, ENOENT);
    EXPECT_FALSE(missing.error().detail.empty());

    PayloadSource overstated = Source(Bytes(10, 1));
    overstated.size = 11;
    EXPECT_EQ(HidePayload(facts, 1, overstated).error().code, ErrorCode::Io);
    EXPECT_EQ(test::ReadFile(facts.path), original);
}

TEST_F(HideExtractTest, AWriterLockMakesTheCarrierBusy) {
    const Bytes original = test::MakeRaw(dir_.File("c.raw"), 5000, 9);
    const CarrierFacts facts = Load("c.raw");
    const int holder = ::open(facts.path.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_SH), 0);
    EXPECT_EQ(HidePayload(facts, 1, Source(Bytes(10, 1))).error().code, ErrorCode::CarrierBusy);
    EXPECT_EQ(test::ReadFile(facts.path), original);
    EXPECT_TRUE(ExportPayload(facts, 1, dir_.File("x")));  // readers share the lock

    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_EQ(HidePayload(facts, 1, Source(Bytes(10, 1))).error().code, ErrorCode::CarrierBusy);
    EXPECT_EQ(ExtractPayload(facts, 1, dir_.File("y")).error().code, ErrorCode::CarrierBusy);
    EXPECT_EQ(ReadPayloadHeader(facts).error().code, ErrorCode::CarrierBusy);
    ::close(holder);
    EXPECT_TRUE(HidePayload(facts, 1, Source(Bytes(10, 1))));
}

TEST_F(HideExtractTest, ProgressRisesToHundred) {
    test::MakeRaw(dir_.File("c.raw"), 4 << 20, 10);
    const CarrierFacts facts = Load("c.raw");
    std::vector<int> seen;
    auto record = [&](int percent) { seen.push_back(percent); };
    ASSERT_TRUE(HidePayload(facts, 1, Source(test::RandomBytes(400000, 1)), record));
    ASSERT_GT(seen.size(), 10u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    seen.clear();
    ASSERT_TRUE(ExtractPayload(facts, 1, dir_.File("out"), record));
    EXPECT_GT(seen.size(), 5u);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

// A header that claims a larger file than there is cannot make hiding grow the carrier.
TEST_F(HideExtractTest, HostileHeaderCannotGrowTheCarrier) {
    Bytes bitmap = test::BitmapBytes(30, 30, 24, false, 11);
    test::PutLe32(bitmap, test::bmp::kFileSize, 1 << 30);
    test::PutLe32(bitmap, test::bmp::kImageSize, 1 << 30);
    test::WriteFile(dir_.File("big.bmp"), bitmap);
    const CarrierFacts facts = Load("big.bmp");
    const Bytes data = test::RandomBytes(static_cast<size_t>(FreeSpace(facts.imageSize, 4, false) - 7), 12);
    EXPECT_FALSE(HidePayload(facts, 4, Source(Bytes(data.size() + 1, 0))));
    ASSERT_TRUE(HidePayload(facts, 4, Source(data)));
    EXPECT_EQ(test::ReadFile(facts.path).size(), bitmap.size());
    ASSERT_TRUE(ExtractPayload(facts, 4, dir_.File("out")));
    EXPECT_EQ(test::ReadFile(dir_.File("out")), data);
}

}  // namespace
}  // namespace tarnwerk
