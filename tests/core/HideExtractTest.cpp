// The engine: the stream hidden byte for byte, extraction and export, and what it refuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "fuzz/HiddenStream.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

class HideExtractTest : public ::testing::Test {
protected:
    CarrierFacts Raw(size_t size, uint32_t seed) {
        test::MakeRaw(dir_.File("c.raw"), size, seed);
        return Load("c.raw");
    }
    CarrierFacts Load(const std::string& name) {
        const auto analysis = AnalyseCarrier(dir_.File(name));
        EXPECT_TRUE(analysis.accepted()) << name;
        return analysis.facts;
    }
    PayloadSource Source(const Bytes& data, const std::string& extension = "dat") {
        test::WriteFile(dir_.File("payload"), data);
        return {dir_.File("payload"), static_cast<int64_t>(data.size()), false, false, 255, "", extension};
    }
    Bytes RoundTrip(const CarrierFacts& facts, int b, const Bytes& data) {
        EXPECT_TRUE(HidePayload(facts, b, Source(data)));
        EXPECT_TRUE(ExtractPayload(facts, b, dir_.File("out")));
        return test::ReadFile(dir_.File("out"));
    }
    test::TempDir dir_;
};

struct CarrierCase {
    const char *name, *file;
    int32_t width, height;
    int bitCount /* 0: RAW of width bytes */;
    bool topDown;
};
void PrintTo(const CarrierCase& shape, std::ostream* out) { *out << shape.name; }
std::string RowName(const ::testing::TestParamInfo<std::tuple<CarrierCase, int>>& row) {
    return std::string(std::get<0>(row.param).name) + "_" + std::to_string(std::get<1>(row.param)) + "Bits";
}

class CarrierRoundTrip : public HideExtractTest, public ::testing::WithParamInterface<std::tuple<CarrierCase, int>> {};

TEST_P(CarrierRoundTrip, HidesExtractsAndExportsByteForByte) {
    const auto [shape, b] = GetParam();
    Bytes expected = shape.bitCount == 0 ? test::MakeRaw(dir_.File(shape.file), static_cast<size_t>(shape.width), 21)
                                         : test::MakeBitmap(dir_.File(shape.file), shape.width, shape.height,
                                                            shape.bitCount, shape.topDown, 21);
    const CarrierFacts facts = Load(shape.file);
    const Bytes data = test::RandomBytes(static_cast<size_t>(LargestPayload(facts.imageSize, b, false)), 5);
    ASSERT_TRUE(HidePayload(facts, b, Source(data, "tar")));
    // The stored stream, built and placed by the tests' own writer of the format.
    const Bytes stream = fuzz::BuildStream({.checkValue = "", .extension = "tar", .data = data});
    ASSERT_TRUE(fuzz::EmbedStream(expected, static_cast<size_t>(facts.dataOffset), stream, b));
    EXPECT_EQ(test::ReadFile(facts.path), expected);

    auto extracted = ExtractPayload(facts, b, dir_.File("out.tar"));
    ASSERT_TRUE(extracted) << static_cast<int>(extracted.error().code);
    EXPECT_EQ(extracted->bitsPerByte, b);
    EXPECT_EQ(extracted->header.extension, "tar");
    EXPECT_EQ(extracted->header.cipher, 255);
    EXPECT_EQ(extracted->size, static_cast<int64_t>(data.size()));
    EXPECT_EQ(test::ReadFile(dir_.File("out.tar")), data);

    auto exported = ExportPayload(facts, b, dir_.File("stream"));
    ASSERT_TRUE(exported);
    const Bytes exportedStream = test::ReadFile(dir_.File("stream"));
    EXPECT_EQ(*exported, (facts.fileSize - facts.dataOffset - 1) * b / 8);  // whole bytes before the last byte
    ASSERT_EQ(exportedStream.size(), static_cast<size_t>(*exported));
    EXPECT_EQ(Bytes(exportedStream.begin(), exportedStream.begin() + static_cast<ptrdiff_t>(stream.size())), stream);
}

INSTANTIATE_TEST_SUITE_P(Carriers, CarrierRoundTrip,
                         ::testing::Combine(::testing::Values(CarrierCase{"OddWidth8", "odd8.bmp", 37, 23, 8, false},
                                                              CarrierCase{"OddWidth24TopDown", "odd24.bmp", 41, 19, 24,
                                                                          true},
                                                              CarrierCase{"Raw", "plain.raw", 70001, 0, 0, false}),
                                            ::testing::Values(1, 2, 4)),
                         RowName);

// The end marker across a 256-byte block (231..237) or one of the engine's chunks (~32765).
TEST_F(HideExtractTest, EndMarkerAcrossBlocksAndChunksIsFound) {
    const CarrierFacts facts = Raw(600000, 3);
    for (const size_t n : {0u, 231u, 234u, 237u, 238u, 32762u, 32765u, 32768u}) {
        const Bytes data = test::RandomBytes(n, static_cast<uint32_t>(n));
        EXPECT_EQ(RoundTrip(facts, 1, data), data) << n;
    }
}

// Near misses of the end marker (runs of its first character, every proper prefix, also at the
// very end of the data, where a search must not read past what is decoded) stay in the data,
// and a shorter stream over a longer one ends at its own marker.
TEST_F(HideExtractTest, NearMissesOfTheEndMarkerStayInTheData) {
    const CarrierFacts facts = Raw(600000, 3);
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
        EXPECT_EQ(RoundTrip(facts, 2, tail), tail) << k;
    }
    EXPECT_EQ(RoundTrip(facts, 2, Bytes(40, 's')), Bytes(40, 's'));  // over the 40000 bytes
}

TEST_F(HideExtractTest, CleanCarrierHoldsNoDataAndAnExistingOutputStays) {
    const CarrierFacts facts = Raw(5000, 7);
    const Bytes old(3, 'o');
    test::WriteFile(dir_.File("out"), old);
    EXPECT_EQ(ExtractPayload(facts, 1, dir_.File("out")).error().code, ErrorCode::NoDataFound);
    EXPECT_EQ(ReadPayloadHeader(facts).error().code, ErrorCode::NoDataFound);
    EXPECT_EQ(test::ReadFile(dir_.File("out")), old);
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.raw", "out"}));
}

TEST_F(HideExtractTest, ExportIntoAMissingFolderNamesTheCause) {
    const CarrierFacts facts = Raw(5000, 7);
    EXPECT_EQ(ExportPayload(facts, 1, dir_.File("none/out")).error().number, ENOENT);
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.raw"}));
}

// A data file that vanished or is shorter than it was: the hide fails naming why, the carrier
// stays as it was and takes the next hide.
TEST_F(HideExtractTest, MissingOrShrunkDataFileFailsAndKeepsTheCarrier) {
    const CarrierFacts facts = Raw(5000, 7);
    const Bytes original = test::ReadFile(facts.path);
    PayloadSource gone = Source(Bytes(10, 1));
    gone.path = dir_.File("gone");
    const auto missing = HidePayload(facts, 1, gone);
    EXPECT_EQ(missing.error().code, ErrorCode::Io);
    EXPECT_EQ(missing.error().number, ENOENT);
    EXPECT_EQ(missing.error().path, gone.path);
    PayloadSource overstated = Source(Bytes(10, 1));
    overstated.size = 11;
    EXPECT_EQ(HidePayload(facts, 1, overstated).error().code, ErrorCode::FileEndedEarly);
    EXPECT_EQ(test::ReadFile(facts.path), original);

    EXPECT_EQ(RoundTrip(facts, 1, Bytes(10, 'n')), Bytes(10, 'n'));
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.raw", "out", "payload"}));
}

// The hide fills the pixel rows to the last byte the room allows and leaves the profile after
// them alone; extraction and export still read to the end of the file.
TEST_F(HideExtractTest, ColourProfileAfterThePixelsKeepsItsBytes) {
    const Bytes original = test::V5BitmapWithProfile(40, 10, 707, 0);  // 1200 bytes of rows
    test::WriteFile(dir_.File("v5.bmp"), original);
    const CarrierFacts facts = Load("v5.bmp");
    const Bytes data = test::RandomBytes(1200 * 4 / 8 - 34, 9);
    ASSERT_TRUE(HidePayload(facts, 4, Source(data)));
    const Bytes after = test::ReadFile(facts.path);
    ASSERT_EQ(after.size(), original.size());
    EXPECT_TRUE(std::equal(after.end() - 707, after.end(), original.end() - 707)) << "the profile changed";
    EXPECT_FALSE(HidePayload(facts, 4, Source(test::RandomBytes(data.size() + 1, 9))));
    EXPECT_EQ(test::ReadFile(facts.path), after);
    ASSERT_TRUE(ExtractPayload(facts, 4, dir_.File("out")));
    EXPECT_EQ(test::ReadFile(dir_.File("out")), data);
    EXPECT_EQ(*ExportPayload(facts, 4, dir_.File("stream")), (1200 + 707 - 1) * 4 / 8);
}

// The engine keeps its own copy of the carrier facts: a window that loads another carrier
// while the hide runs cannot move the rest of the stream.
TEST_F(HideExtractTest, FactsChangedDuringTheHideDoNotMoveTheStream) {
    CarrierFacts facts = Raw(1 << 20, 12);
    const Bytes data = test::RandomBytes(300000, 13);  // three chunks at 4 bits
    const CarrierFacts kept = facts;
    int calls = 0;
    ASSERT_TRUE(HidePayload(facts, 4, Source(data), [&](int) {
        if (++calls == 2) facts.dataOffset = 4096;
    }));
    ASSERT_TRUE(ExtractPayload(kept, 4, dir_.File("out")));
    EXPECT_EQ(test::ReadFile(dir_.File("out")), data);
}

// Another process that ignores the lock cuts the carrier short: writing stops with its own
// error and the file is never grown back with a gap of zeros.
TEST_F(HideExtractTest, CarrierCutShortDuringTheHideIsNotGrownBack) {
    const CarrierFacts facts = Raw(1 << 20, 14);
    const Bytes data = test::RandomBytes(300000, 15);
    const Status hidden = HidePayload(facts, 4, Source(data), [&](int percent) {
        if (percent > 0 && percent < 100) {
            ASSERT_EQ(::truncate(facts.path.c_str(), 300000), 0);
        }
    });
    ASSERT_FALSE(hidden);
    EXPECT_EQ(hidden.error().code, ErrorCode::CarrierShrank);
    EXPECT_EQ(test::ReadFile(facts.path).size(), 300000u);
}

}  // namespace
}  // namespace tarnwerk
