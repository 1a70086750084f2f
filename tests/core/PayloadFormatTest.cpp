#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>

#include "core/BitPlacement.h"
#include "core/PayloadFormat.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

// The stored header: flags, cipher byte (255 when plain), the 16-byte check value when encrypted
// (a malformed one still leaves the fields in place), the extension cut or padded to 8.
TEST(PayloadHeaderTest, StoredLayoutOfPlainAndEncryptedHeaders) {
    EXPECT_EQ(BuildPayloadHeader(false, false, 3, "ignored", "txt"), std::string("\x00\xFF" "txt     ", 10));
    EXPECT_EQ(BuildPayloadHeader(true, false, 0, "", "backup2024"), std::string("\x01\xFF" "backup20", 10));
    EXPECT_EQ(BuildPayloadHeader(true, true, 4, "0123456789ABCDEF", "jpeg"),
              std::string("\x03\x04" "0123456789ABCDEF" "jpeg    ", 26));
    EXPECT_EQ(BuildPayloadHeader(false, true, 1, "short", "x").size(), static_cast<size_t>(kEncryptedHeaderLength));
}

// The reference: every group of 8 carrier bits keeps its first 8 - b bits, takes the next b stream bits.
std::string ToBits(const Bytes& bytes) {
    std::string bits;
    for (const uint8_t byte : bytes) bits += std::bitset<8>(byte).to_string();
    return bits;
}

Bytes MergeReference(const Bytes& carrier, const Bytes& stream, int b) {
    std::string carrierBits = ToBits(carrier);
    const std::string streamBits = ToBits(stream);
    for (size_t group = 0; group * b < streamBits.size(); ++group)
        carrierBits.replace(group * 8 + 8 - b, b, streamBits, group * b, b);
    Bytes merged;
    for (size_t i = 0; i < carrierBits.size(); i += 8)
        merged.push_back(static_cast<uint8_t>(std::bitset<8>(carrierBits.substr(i, 8)).to_ulong()));
    return merged;
}

class BitPlacementTest : public ::testing::TestWithParam<int> {};

TEST_P(BitPlacementTest, FastPlacementMatchesTheBitTextReference) {
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
            Bytes carrier = original;
            const Bytes area(original.begin() + static_cast<std::ptrdiff_t>(offset), original.end() - 1);
            Bytes expected = original;
            const Bytes merged = MergeReference(area, streamPart, b);
            std::copy(merged.begin(), merged.end(), expected.begin() + static_cast<std::ptrdiff_t>(offset));
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

INSTANTIATE_TEST_SUITE_P(Bits, BitPlacementTest, ::testing::Values(1, 2, 4));

}  // namespace
}  // namespace tarnwerk
