#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/BitPlacement.h"
#include "core/PayloadFormat.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

TEST(PayloadHeaderTest, PlainHeaderHasFlagsCipher255AndPaddedExtension) {
    EXPECT_EQ(BuildPayloadHeader(false, false, 3, "ignored", "txt"), std::string("\x00\xFF" "txt     ", 10));
    EXPECT_EQ(BuildPayloadHeader(true, false, 0, "", "backup2024"), std::string("\x01\xFF" "backup20", 10));
    EXPECT_EQ(BuildPayloadHeader(false, false, 0, "", ""), std::string("\x00\xFF" "        ", 10));
    EXPECT_EQ(BuildPayloadHeader(false, false, 0, "", "  gz "), std::string("\x00\xFF" "gz      ", 10));
}

TEST(PayloadHeaderTest, EncryptedHeaderCarriesCipherAndCheckValue) {
    const std::string check = "0123456789ABCDEF";
    const std::string header = BuildPayloadHeader(true, true, 4, check, "jpeg");
    ASSERT_EQ(header.size(), static_cast<size_t>(kEncryptedHeaderLength));
    EXPECT_EQ(header.substr(0, 2), std::string("\x03\x04", 2));
    EXPECT_EQ(header.substr(2, 16), check);
    EXPECT_EQ(header.substr(18), "jpeg    ");
    // A malformed check value still leaves the fields where readers expect them.
    EXPECT_EQ(BuildPayloadHeader(false, true, 1, "short", "x").size(), static_cast<size_t>(kEncryptedHeaderLength));
}

// The readable bit-text form of the placement: every group of 8 carrier bits keeps its
// first 8 - b bits and takes the next b stream bits.
std::string ToBits(const Bytes& bytes) {
    std::string bits;
    for (const uint8_t byte : bytes)
        for (int i = 7; i >= 0; --i) bits += (byte >> i & 1) ? '1' : '0';
    return bits;
}

Bytes FromBits(const std::string& bits) {
    Bytes bytes(bits.size() / 8);
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1') bytes[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    return bytes;
}

Bytes MergeReference(const Bytes& carrier, const Bytes& stream, int b) {
    std::string carrierBits = ToBits(carrier);
    const std::string streamBits = ToBits(stream);
    for (size_t group = 0; group * b < streamBits.size(); ++group)
        carrierBits.replace(group * 8 + 8 - b, b, streamBits, group * b, b);
    return FromBits(carrierBits);
}

Bytes PickReference(const Bytes& carrier, int b) {
    const std::string carrierBits = ToBits(carrier);
    std::string picked;
    for (size_t group = 0; group < carrier.size(); ++group) picked += carrierBits.substr(group * 8 + 8 - b, b);
    return FromBits(picked);
}

class BitPlacementTest : public ::testing::TestWithParam<int> {};

TEST_P(BitPlacementTest, FastPlacementMatchesTheBitTextReference) {
    const int b = GetParam();
    const size_t perByte = static_cast<size_t>(CarrierBytesPerStreamByte(b));
    std::vector<size_t> lengths(65);
    for (size_t n = 0; n < lengths.size(); ++n) lengths[n] = n;
    lengths.insert(lengths.end(), {256u, 1001u});
    // Word-wide paths and their byte-wise tails must agree with the reference at every length
    // and at any alignment of carrier and stream.
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
            const Bytes placed(carrier.begin() + static_cast<std::ptrdiff_t>(offset), carrier.end() - 1);
            EXPECT_EQ(PickReference(placed, b), streamPart);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bits, BitPlacementTest, ::testing::Values(1, 2, 4));

TEST(BitPlacementExamples, KeepUpperBitsAndPutEarlierBitsHigher) {
    // 0x2D over the carrier bytes' low bits, for each width.
    Bytes ones(8, 0xFF);
    const uint8_t value = 0x2D;
    PlaceBits(ones.data(), &value, 1, 1);
    EXPECT_EQ(ones, (Bytes{0xFE, 0xFE, 0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}));
    Bytes four(4, 0xFF);
    PlaceBits(four.data(), &value, 1, 2);
    EXPECT_EQ(four, (Bytes{0xFC, 0xFE, 0xFF, 0xFD}));
    Bytes two = {0xA0, 0x50};
    PlaceBits(two.data(), &value, 1, 4);
    EXPECT_EQ(two, (Bytes{0xA2, 0x5D}));

    // 0xFF receiving bits 0,1 (b = 2) becomes 0xFD; 0x00 receiving 1,1,1,1 (b = 4) 0x0F.
    Bytes carrier = {0xFF, 0xFF, 0xFF, 0xFF};
    const uint8_t first01 = 0x7F;  // 01 11 11 11
    PlaceBits(carrier.data(), &first01, 1, 2);
    EXPECT_EQ(carrier[0], 0xFD);
    Bytes zeros = {0x00, 0x00};
    const uint8_t firstOnes = 0xF0;
    PlaceBits(zeros.data(), &firstOnes, 1, 4);
    EXPECT_EQ(zeros[0], 0x0F);
    EXPECT_EQ(zeros[1], 0x00);
}

}  // namespace
}  // namespace tarnwerk
