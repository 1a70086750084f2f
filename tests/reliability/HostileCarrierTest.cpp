// Hostile carrier files and what becomes of them: the verdict of the analysis, what
// extraction returns, and that hiding into whatever was accepted stays inside the file and
// can be read back. One row per input; the rows are the test.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "fuzz/HiddenStream.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {

void PrintTo(CarrierVerdict verdict, std::ostream* out) {
    static constexpr const char* kNames[] = {"Bitmap", "Raw", "NotValid", "Compressed", "UnsupportedDepth"};
    *out << kNames[static_cast<int>(verdict)];
}

namespace {

using fuzz::BuildStream;
using fuzz::EmbedStream;
using fuzz::StreamParts;
using test::Bytes;
namespace bmp = test::bmp;

constexpr int64_t kBeyondInt32 = int64_t{3} << 30;  // 3 GiB, sparse
constexpr int kHideBits = 2;
constexpr int64_t kHideProbeBytes = 100;

struct HostileFile {
    std::string name = "carrier.bmp";
    Bytes bytes;
    int64_t sparseLength = 0;  // > 0: the file is extended with a hole to this length
    bool folder = false;       // a folder of that name instead of a file
};

struct Expected {
    std::optional<CarrierVerdict> verdict;  // nullopt: any of the three rejections
    std::optional<int64_t> dataSize;        // accepted: extraction returns this many bytes; nullopt: no data
    std::optional<uint8_t> cipher;          // the header's cipher byte, when checked
    std::optional<uint8_t> flags;           // the header's flags byte, when checked
};

struct HostileCase {
    std::string name;
    std::function<HostileFile()> build;
    Expected expected;
};

std::ostream& operator<<(std::ostream& out, const HostileCase& row) { return out << row.name; }

// --- builders -------------------------------------------------------------------------------

Bytes Bmp(int bitCount = 24, int32_t width = 16, int32_t height = 16, bool topDown = false) {
    return test::BitmapBytes(width, height, bitCount, topDown, 7);
}

std::function<HostileFile()> File(Bytes bytes, std::string name = "carrier.bmp") {
    return [bytes = std::move(bytes), name = std::move(name)] { return HostileFile{name, bytes}; };
}

std::function<HostileFile()> Patched(size_t offset, int32_t value, Bytes base = Bmp()) {
    test::PutLe32(base, offset, value);
    return File(std::move(base));
}

std::function<HostileFile()> Depth(uint16_t bitCount, uint32_t compression = 0) {
    Bytes bytes = Bmp(bitCount <= 32 && bitCount > 0 ? bitCount : 24);
    test::PutLe16(bytes, bmp::kBitCount, bitCount);
    test::PutLe32(bytes, bmp::kCompression, static_cast<int32_t>(compression));
    return File(std::move(bytes));
}

std::function<HostileFile()> Truncated(size_t length) {
    Bytes bytes = Bmp();
    bytes.resize(length);
    return File(std::move(bytes));
}

Bytes Plain(size_t size) { return test::RandomBytes(size, static_cast<uint32_t>(size) + 3); }

StreamParts Parts(Bytes data, uint8_t flags = 0, uint8_t cipher = 255) {
    StreamParts parts;
    parts.flags = flags;
    parts.cipher = cipher;
    if (flags & fuzz::kEncryptedFlag) parts.checkValue = std::string(16, '\x5a');
    parts.data = std::move(data);
    return parts;
}

// A RAW carrier of length bytes with the stream (cut to cut bytes when given) in its low bits.
std::function<HostileFile()> RawWith(size_t length, int bits, const StreamParts& parts, size_t cut = 0) {
    Bytes stream = BuildStream(parts);
    if (cut > 0) stream.resize(cut);
    Bytes carrier = test::RandomBytes(length, 11);
    EmbedStream(carrier, 0, stream, bits);
    return File(std::move(carrier), "carrier.raw");
}

// Room for exactly streamBytes stream bytes: the reading loops never reach the last byte.
size_t RawLengthFor(size_t streamBytes, int bits) { return streamBytes * static_cast<size_t>(8 / bits) + 1; }

std::function<HostileFile()> BmpWith(Bytes carrier, int bits, const StreamParts& parts) {
    EmbedStream(carrier, static_cast<size_t>(test::GetLe32(carrier, bmp::kDataOffset)), BuildStream(parts), bits);
    return File(std::move(carrier));
}

// --- expectations ---------------------------------------------------------------------------

Expected Rejected() { return {}; }
Expected Verdict(CarrierVerdict verdict) { return {verdict, std::nullopt, std::nullopt, std::nullopt}; }
Expected Holds(CarrierVerdict verdict, int64_t size) { return {verdict, size, std::nullopt, std::nullopt}; }

std::vector<HostileCase> HostileCases() {
    using V = CarrierVerdict;
    std::vector<HostileCase> rows;
    for (size_t length = 0; length < test::kBmpHeaders; ++length)
        rows.push_back({"HeaderCutTo" + std::to_string(length), Truncated(length), Rejected()});

    const Bytes bmp24 = Bmp();
    const auto area = static_cast<int32_t>(bmp24.size()) - test::kBmpHeaders;
    const auto length = static_cast<int32_t>(bmp24.size());
    rows.insert(rows.end(), {
        // Where the pixels are said to start.
        {"NegativePixelOffset", Patched(bmp::kDataOffset, -54), Verdict(V::NotValid)},
        {"ZeroPixelOffset", Patched(bmp::kDataOffset, 0), Verdict(V::NotValid)},
        {"HugePixelOffset", Patched(bmp::kDataOffset, INT32_MAX), Verdict(V::NotValid)},
        {"PixelOffsetAtFileEnd", Patched(bmp::kDataOffset, length), Verdict(V::NotValid)},
        {"PixelOffsetIntoFileHeader", Patched(bmp::kDataOffset, 10), Verdict(V::NotValid)},
        {"PixelOffsetIntoInfoHeader", Patched(bmp::kDataOffset, 53), Verdict(V::NotValid)},
        {"PixelOffsetNearFileEnd", Patched(bmp::kDataOffset, length - 9), Verdict(V::Bitmap)},
        // Picture size.
        {"NegativePictureSize", Patched(bmp::kImageSize, -768), Verdict(V::NotValid)},
        {"HugePictureSize", Patched(bmp::kImageSize, INT32_MAX), Verdict(V::Bitmap)},
        {"PictureSizeTenTimesTheFile", Patched(bmp::kImageSize, area * 10), Verdict(V::Bitmap)},
        {"PictureSizeZeroIsRepaired", Patched(bmp::kImageSize, 0), Verdict(V::Bitmap)},
        // File size as stated.
        {"HugeStatedFileSize", Patched(bmp::kFileSize, INT32_MAX), Verdict(V::Bitmap)},
        {"NegativeStatedFileSize", Patched(bmp::kFileSize, -1), Verdict(V::NotValid)},
        {"StatedFileSizeEndsAtPixels", Patched(bmp::kFileSize, test::kBmpHeaders), Verdict(V::NotValid)},
        {"StatedFileSizeShort", Patched(bmp::kFileSize, test::kBmpHeaders + 40), Verdict(V::Bitmap)},
        {"ZeroInfoHeaderSize", Patched(bmp::kHeaderSize, 0), Verdict(V::NotValid)},
        {"HeadersOnly", Patched(bmp::kImageSize, 0, Bytes(bmp24.begin(), bmp24.begin() + test::kBmpHeaders)),
         Verdict(V::NotValid)},
        {"AbsurdDimensions", Patched(bmp::kWidth, INT32_MAX, [] { Bytes b = Bmp(); test::PutLe32(b, bmp::kHeight, INT32_MIN); return b; }()),
         Verdict(V::Bitmap)},
        // Depths and compression.
        {"OneBitBitmap", Depth(1), Verdict(V::UnsupportedDepth)},
        {"FourBitBitmap", Depth(4), Verdict(V::UnsupportedDepth)},
        {"SixteenBitBitmap", Depth(16), Verdict(V::UnsupportedDepth)},
        {"ThirtyTwoBitBitmap", Depth(32), Verdict(V::UnsupportedDepth)},
        {"HugeDepth", Depth(65535), Verdict(V::UnsupportedDepth)},
        {"RunLength8", Depth(8, 1), Verdict(V::Compressed)},
        {"RunLength4", Depth(4, 2), Verdict(V::Compressed)},
        {"BitFields32", Depth(32, 3), Verdict(V::Compressed)},
        {"TopDown24", File(Bmp(24, 16, 16, true)), Verdict(V::Bitmap)},
        {"TopDown8", File(Bmp(8, 16, 16, true)), Verdict(V::Bitmap)},
        // Signature and name.
        {"SignatureBA", [] { Bytes b = Bmp(); b[1] = 'A'; return HostileFile{"carrier.bmp", b}; }, Verdict(V::NotValid)},
        {"SignatureLowerCase", [] { Bytes b = Bmp(); b[0] = 'b'; b[1] = 'm'; return HostileFile{"c.bmp", b}; },
         Verdict(V::NotValid)},
        {"BitmapNamedPng", File(Bmp(), "carrier.png"), Verdict(V::NotValid)},
        {"BitmapNamedDib", File(Bmp(8), "carrier.dib"), Verdict(V::Bitmap)},
        {"NoExtension", File(Bmp(), "carrier"), Verdict(V::NotValid)},
        {"DotInFolderOnly", [] { return HostileFile{"x.bmp", {}, 0, true}; }, Verdict(V::NotValid)},
        {"EmptyRaw", File({}, "carrier.raw"), Verdict(V::NotValid)},
        {"OneByteRaw", File({0x41}, "carrier.raw"), Verdict(V::Raw)},
        {"RawBeyondInt32", [] { return HostileFile{"big.raw", {1, 2, 3}, kBeyondInt32}; }, Verdict(V::NotValid)},
        {"BitmapBeyondInt32", [] { return HostileFile{"big.bmp", Bmp(), kBeyondInt32}; }, Verdict(V::NotValid)},
    });

    // Hidden streams, well-formed and not.
    const Bytes data40 = Plain(40);
    rows.insert(rows.end(), {
        {"StreamAtOneBit", RawWith(1001, 1, Parts(data40)), Holds(V::Raw, 40)},
        {"StreamAtTwoBits", RawWith(1001, 2, Parts(data40)), Holds(V::Raw, 40)},
        {"StreamAtFourBits", RawWith(1001, 4, Parts(data40)), Holds(V::Raw, 40)},
        {"StreamInTopDownBitmap", BmpWith(Bmp(24, 16, 16, true), 2, Parts(data40)), Holds(V::Bitmap, 40)},
        {"StreamInPalettedBitmap", BmpWith(Bmp(8, 32, 32), 1, Parts(Plain(80))), Holds(V::Bitmap, 80)},
        {"EmptyData", RawWith(1001, 2, Parts({})), Holds(V::Raw, 0)},
        // Without end marker everything up to the end of the area is the data: 250 - 18.
        {"BeginMarkerWithoutEndMarker", RawWith(1001, 2, [&] { auto p = Parts(data40); p.endMarker = false; return p; }()),
         Holds(V::Raw, 232)},
        {"BeginMarkerOnly", RawWith(RawLengthFor(8, 2), 2, Parts({}), 8), Verdict(V::Raw)},
        {"HeaderCutAfterFlags", RawWith(RawLengthFor(9, 2), 2, Parts(data40), 9), Verdict(V::Raw)},
        {"HeaderCutInExtension", RawWith(RawLengthFor(15, 2), 2, Parts(data40), 15), Verdict(V::Raw)},
        {"HeaderEndsWhereDataWouldStart", RawWith(RawLengthFor(18, 2), 2, Parts(data40), 18), Holds(V::Raw, 0)},
        {"EncryptedTooShortForCheckValue", RawWith(RawLengthFor(20, 2), 2, Parts(data40, fuzz::kEncryptedFlag, 1), 20),
         Verdict(V::Raw)},
        {"EncryptedCutInExtension", RawWith(RawLengthFor(30, 2), 2, Parts(data40, fuzz::kEncryptedFlag, 1), 30),
         Verdict(V::Raw)},
        {"CipherByteOutsideTable", RawWith(1001, 2, Parts(data40, fuzz::kEncryptedFlag, 7)),
         {V::Raw, 40, uint8_t{7}, uint8_t{fuzz::kEncryptedFlag}}},
        {"UnknownFlagBits", RawWith(1001, 2, Parts(data40, 0xFC)), {V::Raw, 40, std::nullopt, uint8_t{0xFC}}},
        {"MarkerInWrongCase", [] { Bytes s = BuildStream(Parts(Plain(10))); s[2] = 't'; Bytes c = test::RandomBytes(1001, 5);
                                   EmbedStream(c, 0, s, 2); return HostileFile{"carrier.raw", c}; }, Verdict(V::Raw)},
        {"EndMarkerInsideData", [] { const std::string d = "abc~hTwKlo~def"; return RawWith(1001, 2, Parts(Bytes(d.begin(), d.end())))(); },
         Holds(V::Raw, 3)},
        // 18 + 232 = 250: the end marker straddles the first 256-byte block.
        {"EndMarkerAcrossBlocks", RawWith(RawLengthFor(258, 4), 4, Parts(Plain(232))), Holds(V::Raw, 232)},
    });
    return rows;
}

class HostileCarrierTest : public ::testing::TestWithParam<HostileCase> {
protected:
    // Writes the row's file; returns its path.
    std::string Materialise(const HostileFile& file) {
        const std::string path = dir_.File(file.name);
        if (file.folder) {
            EXPECT_EQ(::mkdir(path.c_str(), 0755), 0);
            return path;
        }
        test::WriteFile(path, file.bytes);
        if (file.sparseLength > 0) {
            EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(file.sparseLength)), 0);
        }
        return path;
    }

    test::TempDir dir_;
};

TEST_P(HostileCarrierTest, GetsItsVerdictAndReadsSafely) {
    const HostileCase& row = GetParam();
    const HostileFile file = row.build();
    const std::string path = Materialise(file);

    const CarrierAnalysis analysis = AnalyseCarrier(path);
    if (row.expected.verdict) {
        EXPECT_EQ(analysis.verdict, *row.expected.verdict);
    } else {
        EXPECT_FALSE(analysis.accepted()) << "verdict " << static_cast<int>(analysis.verdict);
    }
    if (!analysis.accepted()) {
        EXPECT_FALSE(analysis.facts.IsLoaded()) << "a rejected file stays the loaded carrier";
        return;
    }
    const CarrierFacts& facts = analysis.facts;
    EXPECT_LE(facts.fileSize, facts.realLength) << "carrier area reaches past the file";
    EXPECT_LE(int64_t{facts.dataOffset} + facts.imageSize, facts.fileSize) << "picture reaches past the area";

    const std::string out = dir_.File("out.bin");
    const auto extracted = ExtractPayload(facts, kHideBits, out);
    if (row.expected.dataSize) {
        ASSERT_TRUE(extracted.ok()) << "error " << static_cast<int>(extracted.error().code);
        EXPECT_EQ(extracted->size, *row.expected.dataSize);
        EXPECT_EQ(static_cast<int64_t>(test::ReadFile(out).size()), *row.expected.dataSize);
        if (row.expected.cipher) {
            EXPECT_EQ(extracted->header.cipher, *row.expected.cipher);
        }
        if (row.expected.flags) {
            EXPECT_EQ(extracted->header.flags, *row.expected.flags);
        }
        EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{file.name, "out.bin"}));
    } else {
        ASSERT_FALSE(extracted.ok()) << "found " << extracted->size << " bytes";
        EXPECT_EQ(extracted.error().code, ErrorCode::NoDataFound);
        EXPECT_EQ(dir_.Entries(), std::vector<std::string>{file.name}) << "a failed extraction left a file";
    }
    if (file.sparseLength == 0) {
        EXPECT_EQ(test::ReadFile(path), file.bytes) << "reading changed the carrier";
    }
}

// Whatever the analysis accepted must take a payload the engine allows without growing the
// file or touching what lies before the picture, must refuse one it cannot hold, and must
// still be a carrier that gives the payload back afterwards.
TEST_P(HostileCarrierTest, HidingStaysInsideTheCarrier) {
    const HostileCase& row = GetParam();
    const HostileFile file = row.build();
    if (file.sparseLength > 0 || file.folder) GTEST_SKIP() << "not a carrier";
    const std::string path = Materialise(file);
    const CarrierAnalysis analysis = AnalyseCarrier(path);
    if (!analysis.accepted()) GTEST_SKIP() << "rejected";
    const CarrierFacts& facts = analysis.facts;

    PayloadSource tooLarge;
    tooLarge.path = dir_.File("payload.bin");
    tooLarge.size = static_cast<int64_t>(file.bytes.size());
    test::WriteFile(tooLarge.path, Plain(file.bytes.size()));
    const Status refused = HidePayload(facts, kHideBits, tooLarge);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::PayloadTooLarge);
    EXPECT_EQ(test::ReadFile(path), file.bytes) << "a refused hide changed the carrier";

    const int64_t room = int64_t{facts.imageSize} * kHideBits / 8 - fuzz::kStreamPrefixPlain - 2 * 8;
    if (room < 1) GTEST_SKIP() << "no room for a payload";
    const Bytes data = Plain(static_cast<size_t>(std::min(room, kHideProbeBytes)));
    PayloadSource source;
    source.path = dir_.File("payload.bin");
    source.size = static_cast<int64_t>(data.size());
    source.extension = "bin";
    test::WriteFile(source.path, data);
    ASSERT_TRUE(HidePayload(facts, kHideBits, source).ok());

    const Bytes after = test::ReadFile(path);
    ASSERT_EQ(after.size(), file.bytes.size()) << "hiding changed the file's length";
    const auto areaStart = static_cast<size_t>(facts.dataOffset);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + static_cast<ptrdiff_t>(areaStart), file.bytes.begin()))
        << "hiding changed bytes before the picture";

    const CarrierAnalysis again = AnalyseCarrier(path);
    ASSERT_EQ(again.verdict, analysis.verdict) << "hiding made the carrier unloadable";
    const auto extracted = ExtractPayload(again.facts, kHideBits, dir_.File("back.bin"));
    ASSERT_TRUE(extracted.ok());
    EXPECT_EQ(test::ReadFile(dir_.File("back.bin")), data);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileCarrierTest, ::testing::ValuesIn(HostileCases()),
                         [](const ::testing::TestParamInfo<HostileCase>& row) { return row.param.name; });

}  // namespace
}  // namespace tarnwerk
