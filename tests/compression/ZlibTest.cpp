// clsZlib over byte arrays and files: round trip, the stored format, the buffer rule, refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "base/ScratchFile.h"
#include "compression/clsZlib.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using test::Bytes;

// The error code of a failed call; nothing for success.
template <class R>
std::optional<ErrorCode> Code(const R& result) {
    return result ? std::nullopt : std::optional<ErrorCode>(result.error().code);
}

Bytes Text(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>("Tarnwerk hides files. "[i % 22]);
    return bytes;
}

TEST(ZlibArrayTest, CompressAndDecompressKeepSizesAndCodes) {
    clsZlib zlib;
    const Bytes data = Text(1000);
    Bytes bytes = data;
    ASSERT_TRUE(zlib.CompressByteArray(bytes, 9));
    const Bytes compressed = bytes;
    const auto compressedLength = static_cast<int32_t>(bytes.size());
    EXPECT_EQ(zlib.ValueCompressedSize(), compressedLength);
    EXPECT_EQ(zlib.ValueDecompressedSize(), 1000);
    EXPECT_LT(bytes.size(), data.size());
    // Impossible sizes are refused before anything is allocated or replaced.
    for (const int32_t claim : {-1, 0x7FFFFFFF}) {
        EXPECT_EQ(Code(zlib.DecompressByteArray(bytes, claim)), ErrorCode::CorruptData);
        EXPECT_EQ(bytes, compressed);
    }
    Bytes garbage = test::RandomBytes(100, 3);
    EXPECT_EQ(Code(zlib.DecompressByteArray(garbage, 1000)), ErrorCode::CorruptData);
    ASSERT_TRUE(zlib.DecompressByteArray(bytes, 1000));
    EXPECT_EQ(bytes, data);
    EXPECT_EQ(zlib.ValueCompressedSize(), compressedLength);
    EXPECT_EQ(zlib.ValueDecompressedSize(), 1000);
    Bytes empty;
    EXPECT_TRUE(zlib.CompressByteArray(empty, -1));
    EXPECT_TRUE(zlib.DecompressByteArray(empty, 0));
    EXPECT_TRUE(empty.empty());
}

// The output buffer holds n * 0.01 + n + 12 bytes, rounded half to even.
TEST(ZlibArrayTest, BufferRuleDecidesWhatFits) {
    clsZlib zlib;
    auto fits = [&](size_t actual, int32_t claimed) {
        Bytes bytes = test::RandomBytes(actual, static_cast<uint32_t>(actual));
        EXPECT_TRUE(zlib.CompressByteArray(bytes, 9));
        return Code(zlib.DecompressByteArray(bytes, claimed));
    };
    // Room for 999.78 -> 1000, 62.5 -> 62 and 163.5 -> 164 bytes: that many fit, one more does not.
    for (const auto& [actual, claimed] : {std::pair<size_t, int32_t>{1000, 978}, {62, 50}, {164, 150}}) {
        EXPECT_EQ(fits(actual, claimed), std::nullopt) << actual;
        EXPECT_EQ(fits(actual + 1, claimed), ErrorCode::CorruptData) << actual + 1;
    }
}

TEST(ZlibFileTest, StoredFormatIsSizeThenZlibStream) {
    test::TempDir dir;
    clsZlib zlib;
    const Bytes data = Text(1000);
    test::WriteFile(dir.File("in"), data);
    ASSERT_TRUE(zlib.CompressFile(dir.File("in"), dir.File("packed"), 9));
    Bytes packed = test::ReadFile(dir.File("packed"));
    ASSERT_GT(packed.size(), 6u);
    EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 6), (Bytes{0xE8, 0x03, 0x00, 0x00, 0x78, 0xDA}));
    EXPECT_EQ(static_cast<size_t>(zlib.ValueCompressedSize()), packed.size() - 4);
    ASSERT_TRUE(zlib.DecompressFile(dir.File("packed"), dir.File("out")));
    EXPECT_EQ(test::ReadFile(dir.File("out")), data);
    const Bytes large = test::RandomBytes(300001, 17);
    test::WriteFile(dir.File("large"), large);
    ASSERT_TRUE(zlib.CompressFile(dir.File("large"), dir.File("packed"), 6));
    ASSERT_TRUE(zlib.DecompressFile(dir.File("packed"), dir.File("out")));
    EXPECT_EQ(test::ReadFile(dir.File("out")), large);
    // A size claiming 100 bytes leaves room for 113; the output holds what fitted.
    test::PutLe32(packed, 0, 100);
    test::WriteFile(dir.File("lying"), packed);
    EXPECT_EQ(Code(zlib.DecompressFile(dir.File("lying"), dir.File("out"))), ErrorCode::CorruptData);
    EXPECT_EQ(test::ReadFile(dir.File("out")), Bytes(data.begin(), data.begin() + 113));
    // Sizes no buffer rule can hold and a damaged Adler-32 trailer.
    test::WriteFile(dir.File("old"), Bytes{'o', 'l', 'd'});
    for (const int32_t claim : {-1, -1000, 0x7FFFFFFF, static_cast<int32_t>(packed.size() * 1032 + 2048)}) {
        test::PutLe32(packed, 0, claim);
        test::WriteFile(dir.File("lying"), packed);
        EXPECT_EQ(Code(zlib.DecompressFile(dir.File("lying"), dir.File("old"))), ErrorCode::CorruptData) << claim;
    }
    EXPECT_EQ(test::ReadFile(dir.File("old")), (Bytes{'o', 'l', 'd'}));
    test::PutLe32(packed, 0, 1000);
    packed.back() ^= 0xFF;
    test::WriteFile(dir.File("damaged"), packed);
    EXPECT_EQ(Code(zlib.DecompressFile(dir.File("damaged"), dir.File("out"))), ErrorCode::CorruptData);
}

// Compressed in pieces, the file holds exactly what one compress2 call over the whole input
// gives; inputs span several pieces of the streaming reader.
TEST(ZlibFileTest, StreamedFileEqualsOneCompress2Call) {
    test::TempDir dir;
    Bytes text;
    while (text.size() < (size_t{2} << 20) + 777) {
        const std::string line = "line " + std::to_string(text.size() % 9973) + ": Tarnwerk hides files.\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    for (const Bytes& data : {text, test::RandomBytes((size_t{3} << 19) + 3, 41), Bytes{'x'}}) {
        for (const int level : {9, 1}) {
            uLongf bound = compressBound(static_cast<uLong>(data.size()));
            Bytes reference(bound);
            ASSERT_EQ(compress2(reference.data(), &bound, data.data(), static_cast<uLong>(data.size()), level), Z_OK);
            reference.resize(bound);
            const auto n = static_cast<uint32_t>(data.size());
            reference.insert(reference.begin(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                                                 static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)});
            test::WriteFile(dir.File("in"), data);
            clsZlib zlib;
            std::vector<int32_t> reported;
            zlib.Progress = [&](int32_t percent) { reported.push_back(percent); };
            ASSERT_TRUE(zlib.CompressFile(dir.File("in"), dir.File("packed"), static_cast<int16_t>(level)));
            EXPECT_TRUE(test::ReadFile(dir.File("packed")) == reference) << data.size() << " at level " << level;
            EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
            EXPECT_EQ(reported.back(), 100);
            EXPECT_EQ(reported.size(), (data.size() + (size_t{1} << 20) - 1) >> 20);  // once a piece
            const Result<int64_t> measured = zlib.CompressedFileLength(dir.File("in"), static_cast<int16_t>(level));
            ASSERT_TRUE(measured);
            EXPECT_EQ(*measured, static_cast<int64_t>(reference.size()));
        }
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"in", "packed"}));  // no temporary file stays
}

// The hide compresses into an unnamed scratch file, reached by its /proc path: nothing may be
// created beside that path. A named output is replaced only by a complete stream.
TEST(ZlibFileTest, CompressFileWritesScratchFilesAndKeepsOutputsOnFailure) {
    test::TempDir dir;
    const Bytes data = Text(5000);
    test::WriteFile(dir.File("in"), data);
    clsZlib zlib;
    ASSERT_TRUE(zlib.CompressFile(dir.File("in"), dir.File("named"), 9));
    Result<ScratchFile> scratch = ScratchFile::CreateBeside(dir.File("in"));
    ASSERT_TRUE(scratch.ok());
    ASSERT_TRUE(zlib.CompressFile(dir.File("in"), scratch->path(), 9));
    EXPECT_TRUE(test::ReadFile(scratch->path()) == test::ReadFile(dir.File("named")));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"in", "named"}));

    test::WriteFile(dir.File("old"), Bytes{'o', 'l', 'd'});
    EXPECT_EQ(Code(zlib.CompressFile(dir.File("in"), dir.File("old"), 10)), ErrorCode::Internal);  // no such level
    EXPECT_EQ(test::ReadFile(dir.File("old")), (Bytes{'o', 'l', 'd'}));
    // A FIFO nobody writes to is refused at once rather than waited for in open().
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(Code(zlib.CompressFile(dir.File("fifo"), dir.File("old"), 9)), ErrorCode::NotRegularFile);
    EXPECT_EQ(Code(zlib.CompressedFileLength(dir.File("fifo"), 9)), ErrorCode::NotRegularFile);
    EXPECT_EQ(test::ReadFile(dir.File("old")), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"fifo", "in", "named", "old"}));
}

}  // namespace
}  // namespace tarnwerk
