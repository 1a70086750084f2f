#include <gtest/gtest.h>

#include <algorithm>

#include "core/BitPlacement.h"
#include "core/PayloadFormat.h"
#include "fuzz/HiddenStream.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

// The stored header: flags, cipher byte (255 when plain), the 16-byte check value when encrypted
// (a malformed one still leaves the fields in place), the extension cut or padded to 8.
TEST(PayloadHeaderTest, StoredLayoutOfPlainAndEncryptedHeaders) {
    EXPECT_EQ(BuildPayloadHeader(false, false, 3, "ignored", "txt"), std::string("\x00\xFF"
                                                                                 "txt     ",
                                                                                 10));
    EXPECT_EQ(BuildPayloadHeader(true, false, 0, "", "backup2024"), std::string("\x01\xFF"
                                                                                "backup20",
                                                                                10));
    EXPECT_EQ(BuildPayloadHeader(true, true, 4, "0123456789ABCDEF", "jpeg"), std::string("\x03\x04"
                                                                                         "0123456789ABCDEF"
                                                                                         "jpeg    ",
                                                                                         26));
    EXPECT_EQ(BuildPayloadHeader(false, true, 1, "short", "x").size(), static_cast<size_t>(kEncryptedHeaderLength));
}

class BitPlacementTest : public ::testing::TestWithParam<int> {};

TEST_P(BitPlacementTest, FastPlacementMatchesTheReferenceWriter) {
    const int b = GetParam();
    const size_t perByte = static_cast<size_t>(CarrierBytesPerStreamByte(b));
    std::vector<size_t> lengths(65);
    for (size_t n = 0; n < lengths.size(); ++n) lengths[n] = n;
    lengths.insert(lengths.end(), {256u, 1001u});
    // Word-wide paths and byte-wise tails at every length and alignment.
    for (const size_t streamBytes : lengths) {
        for (size_t offset = 0; offset < 8; ++offset) {
            const Bytes stream = test::RandomBytes(streamBytes + offset, 11 + static_cast<uint32_t>(streamBytes));
            const Bytes streamPart(stream.begin() + static_cast<std::ptrdiff_t>(offset), stream.end());
            const Bytes original = test::RandomBytes(streamBytes * perByte + offset + 1, 99);
            Bytes carrier = original, expected = original;
            ASSERT_TRUE(fuzz::EmbedStream(expected, offset, streamPart, b));  // the tests' own writer
            PlaceBits(carrier.data() + offset, stream.data() + offset, streamBytes, b);
            ASSERT_EQ(carrier, expected) << "b=" << b << " n=" << streamBytes << " offset=" << offset;

            Bytes picked(streamBytes + offset + 1, 0xA5);
            PickBits(carrier.data() + offset, streamBytes, picked.data() + offset, b);
            ASSERT_EQ(Bytes(picked.begin() + static_cast<std::ptrdiff_t>(offset), picked.end() - 1), streamPart)
                << "b=" << b << " n=" << streamBytes << " offset=" << offset;
            EXPECT_EQ(picked.back(), 0xA5) << "wrote past the stream";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bits, BitPlacementTest, ::testing::Values(1, 2, 4),
                         [](const auto& row) { return std::to_string(row.param) + "BitsPerByte"; });

}  // namespace
}  // namespace tarnwerk
