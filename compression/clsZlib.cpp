#include "compression/clsZlib.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <limits>

#include "base/ByteOrder.h"
#include "base/FileIo.h"
#include "compression/DeflateFile.h"

namespace tarnwerk {

namespace {

// Sizes are stored and reported as signed 32-bit numbers.
constexpr int64_t kMaxDataBytes = std::numeric_limits<int32_t>::max();
constexpr int kSizeFieldLength = 4;
constexpr unsigned kNewFileMode = 0666;
// deflate cannot expand data by more than 1032:1; a stored size beyond that (plus room for
// the zlib header and trailer) cannot be true and is not allocated.
constexpr int64_t kMaxExpansion = 1032;
constexpr int64_t kExpansionSlack = 1024;

double RoundHalfToEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) return floor + 1;
    if (fraction < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

// Output buffer for n bytes of input or expected output: n * 0.01 + n + 12, evaluated in
// this order in double precision and rounded half to even.
int64_t BufferSize(int64_t n) {
    const double size = static_cast<double>(n) * 0.01 + static_cast<double>(n) + 12;
    return static_cast<int64_t>(RoundHalfToEven(size));
}

bool SizeClaimPlausible(size_t compressedLength, int32_t claimed) {
    return claimed >= 0 && claimed <= static_cast<int64_t>(compressedLength) * kMaxExpansion + kExpansionSlack;
}

// zlib wants a valid pointer even for zero bytes.
const Bytef* SourceOf(const std::vector<uint8_t>& data) {
    static constexpr Bytef kNothing = 0;
    return data.empty() ? &kNothing : data.data();
}

// A zlib result as the error it stands for.
Status FromZlib(int code) {
    switch (code) {
        case Z_OK:
        case Z_STREAM_END:
            return {};
        case Z_MEM_ERROR:
            return MakeError(ErrorCode::OutOfMemory);
        case Z_STREAM_ERROR:
            return MakeError(ErrorCode::Internal);
        default:  // Z_DATA_ERROR, Z_BUF_ERROR: the stream does not match its stated size
            return MakeError(ErrorCode::CorruptData);
    }
}

}  // namespace

Status clsZlib::CompressByteArray(std::vector<uint8_t>& theData, int16_t compressionLevel) {
    const int64_t n = static_cast<int64_t>(theData.size());
    const int64_t bufferSize = BufferSize(n);
    if (bufferSize > kMaxDataBytes) return MakeError(ErrorCode::OutOfMemory);
    decompressedSize_ = static_cast<int32_t>(n);

    std::vector<uint8_t> buffer(static_cast<size_t>(bufferSize));
    uLongf length = static_cast<uLongf>(bufferSize);
    const int result = compress2(buffer.data(), &length, SourceOf(theData), static_cast<uLong>(n), compressionLevel);
    buffer.resize(length);
    theData = std::move(buffer);
    compressedSize_ = static_cast<int32_t>(length);
    return FromZlib(result);
}

Status clsZlib::DecompressByteArray(std::vector<uint8_t>& theData, int32_t uncompressedSize) {
    decompressedSize_ = uncompressedSize;
    compressedSize_ = static_cast<int32_t>(std::min<size_t>(theData.size(), kMaxDataBytes));
    if (!SizeClaimPlausible(theData.size(), uncompressedSize)) return MakeError(ErrorCode::CorruptData);
    const int64_t bufferSize = BufferSize(uncompressedSize);
    if (bufferSize > kMaxDataBytes) return MakeError(ErrorCode::OutOfMemory);

    std::vector<uint8_t> buffer(static_cast<size_t>(bufferSize));
    uLongf length = static_cast<uLongf>(bufferSize);
    const int result = uncompress(buffer.data(), &length, SourceOf(theData), static_cast<uLong>(theData.size()));
    buffer.resize(length);
    theData = std::move(buffer);
    return FromZlib(result);
}

Result<UniqueFd> clsZlib::OpenInput(const std::string& filePathIn, int64_t& length) {
    auto opened = OpenForReading(filePathIn);  // a FIFO without a writer must not block here
    if (!opened) return opened.error();
    struct stat info {};
    if (::fstat(opened->get(), &info) != 0) return MakeError(ErrorCode::Io, filePathIn, errno);
    if (!S_ISREG(info.st_mode)) return MakeError(ErrorCode::NotRegularFile, filePathIn);
    if (info.st_size == 0) return MakeError(ErrorCode::EmptyInput, filePathIn);
    if (info.st_size > kMaxDataBytes) return MakeError(ErrorCode::TooLargeForFormat, filePathIn);
    length = info.st_size;
    return std::move(*opened);
}

Status clsZlib::CompressFile(const std::string& filePathIn, const std::string& filePathOut, int16_t compressionLevel) {
    int64_t length = 0;
    Result<UniqueFd> in = OpenInput(filePathIn, length);
    if (!in) return in.error();
    int64_t produced = 0;
    const FileWriter write = [&](int out) -> Status {
        std::array<uint8_t, 4> sizeField{};
        StoreLe32(sizeField.data(), static_cast<uint32_t>(static_cast<int32_t>(length)));
        if (Status written = WriteAll(out, sizeField.data(), sizeField.size(), filePathOut); !written) return written;
        const DeflateSink sink = [&](const uint8_t* data, size_t size) {
            return WriteAll(out, data, size, filePathOut);
        };
        auto deflated = DeflateFile(in->get(), length, filePathIn, compressionLevel, sink, Progress);
        if (!deflated) return deflated.error();
        produced = *deflated;
        return {};
    };
    if (Status written = ReplaceFileBy(filePathOut, write, kNewFileMode); !written) return written;
    decompressedSize_ = static_cast<int32_t>(length);
    compressedSize_ = static_cast<int32_t>(std::min<int64_t>(produced, kMaxDataBytes));
    return {};
}

Result<int64_t> clsZlib::CompressedFileLength(const std::string& filePathIn, int16_t compressionLevel) {
    int64_t inputLength = 0;
    Result<UniqueFd> in = OpenInput(filePathIn, inputLength);
    if (!in) return in.error();
    auto produced = DeflateFile(
        in->get(), inputLength, filePathIn, compressionLevel, [](const uint8_t*, size_t) { return Status{}; },
        Progress);
    if (!produced) return produced.error();
    return kSizeFieldLength + *produced;
}

Status clsZlib::DecompressFile(const std::string& filePathIn, const std::string& filePathOut) {
    auto data = ReadWholeFile(filePathIn, kMaxDataBytes);
    if (!data) return data.error();
    if (data->empty()) return MakeError(ErrorCode::EmptyInput, filePathIn);
    if (data->size() < kSizeFieldLength) return MakeError(ErrorCode::CorruptData);  // not even the size field

    // The stream follows the size field; the array keeps the file's length, its last four
    // bytes zero (zlib ignores what follows the end of the stream).
    const auto claimed = static_cast<int32_t>(LoadLe32(data->data()));
    data->erase(data->begin(), data->begin() + kSizeFieldLength);
    data->resize(data->size() + kSizeFieldLength, 0);
    if (!SizeClaimPlausible(data->size(), claimed)) {
        decompressedSize_ = claimed;
        compressedSize_ = static_cast<int32_t>(data->size());
        return MakeError(ErrorCode::CorruptData);
    }
    const Status result = DecompressByteArray(*data, claimed);
    if (!result && (data->empty() || result.error().code != ErrorCode::CorruptData)) return result;
    // After a damaged stream the output holds the data as far as it could be decompressed.
    if (Status written = ReplaceFileWith(filePathOut, {*data}); !written) return written;
    return result;
}

}  // namespace tarnwerk
