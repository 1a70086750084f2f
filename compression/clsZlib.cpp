#include "compression/clsZlib.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>

#include <algorithm>
#include <cmath>
#include <limits>

#include "compression/DeflateFile.h"
#include "config/FileIo.h"

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

std::vector<uint8_t> LittleEndian32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 24)};
}

int32_t ReadLittleEndian32(const uint8_t* bytes) {
    return static_cast<int32_t>(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                                uint32_t{bytes[3]} << 24);
}

// zlib wants a valid pointer even for zero bytes.
const Bytef* SourceOf(const std::vector<uint8_t>& data) {
    static constexpr Bytef kNothing = 0;
    return data.empty() ? &kNothing : data.data();
}

}  // namespace

int32_t clsZlib::CompressByteArray(std::vector<uint8_t>& theData, int16_t compressionLevel) {
    const int64_t n = static_cast<int64_t>(theData.size());
    const int64_t bufferSize = BufferSize(n);
    if (bufferSize > kMaxDataBytes) return Z_MEM_ERROR;
    decompressedSize_ = static_cast<int32_t>(n);

    std::vector<uint8_t> buffer(static_cast<size_t>(bufferSize));
    uLongf length = static_cast<uLongf>(bufferSize);
    const int result = compress2(buffer.data(), &length, SourceOf(theData), static_cast<uLong>(n), compressionLevel);
    buffer.resize(length);
    theData = std::move(buffer);
    compressedSize_ = static_cast<int32_t>(length);
    return result;
}

int32_t clsZlib::DecompressByteArray(std::vector<uint8_t>& theData, int32_t uncompressedSize) {
    decompressedSize_ = uncompressedSize;
    compressedSize_ = static_cast<int32_t>(std::min<size_t>(theData.size(), kMaxDataBytes));
    if (!SizeClaimPlausible(theData.size(), uncompressedSize)) return Z_DATA_ERROR;
    const int64_t bufferSize = BufferSize(uncompressedSize);
    if (bufferSize > kMaxDataBytes) return Z_MEM_ERROR;

    std::vector<uint8_t> buffer(static_cast<size_t>(bufferSize));
    uLongf length = static_cast<uLongf>(bufferSize);
    const int result = uncompress(buffer.data(), &length, SourceOf(theData), static_cast<uLong>(theData.size()));
    buffer.resize(length);
    theData = std::move(buffer);
    return result;
}

int32_t clsZlib::OpenInput(const std::string& filePathIn, UniqueFd& fd, int64_t& length) {
    lastError_ = 0;
    auto opened = OpenForReading(filePathIn);  // a FIFO without a writer must not block here
    if (!opened) return Failed(opened.error().number);
    struct stat info {};
    if (::fstat(opened->get(), &info) != 0) return Failed(errno);
    if (!S_ISREG(info.st_mode)) return Failed(EINVAL);
    if (info.st_size == 0) return Failed(0);
    if (info.st_size > kMaxDataBytes) return Failed(EFBIG);
    fd = std::move(*opened);
    length = info.st_size;
    return Z_OK;
}

// deflate's own failure (an invalid level) is its code; anything else a run-time failure.
int32_t clsZlib::DeflateFailed(const Error& error) {
    return error.code == ErrorCode::Internal ? error.number : Failed(error.number);
}

int32_t clsZlib::CompressFile(const std::string& filePathIn, const std::string& filePathOut,
                              int16_t compressionLevel) {
    UniqueFd in;
    int64_t length = 0;
    if (const int32_t opened = OpenInput(filePathIn, in, length); opened != Z_OK) return opened;
    int64_t produced = 0;
    const FileWriter write = [&](int out) -> Status {
        const auto sizeField = LittleEndian32(static_cast<int32_t>(length));
        if (Status written = WriteAll(out, sizeField.data(), sizeField.size(), filePathOut); !written) return written;
        const DeflateSink sink = [&](const uint8_t* data, size_t size) {
            return WriteAll(out, data, size, filePathOut);
        };
        auto deflated = DeflateFile(in.get(), length, filePathIn, compressionLevel, sink, Progress);
        if (!deflated) return deflated.error();
        produced = *deflated;
        return {};
    };
    if (Status written = ReplaceFileBy(filePathOut, write, kNewFileMode); !written)
        return DeflateFailed(written.error());
    decompressedSize_ = static_cast<int32_t>(length);
    compressedSize_ = static_cast<int32_t>(std::min<int64_t>(produced, kMaxDataBytes));
    return Z_OK;
}

int32_t clsZlib::CompressedFileLength(const std::string& filePathIn, int16_t compressionLevel, int64_t& length) {
    UniqueFd in;
    int64_t inputLength = 0;
    if (const int32_t opened = OpenInput(filePathIn, in, inputLength); opened != Z_OK) return opened;
    auto produced = DeflateFile(in.get(), inputLength, filePathIn, compressionLevel,
                                [](const uint8_t*, size_t) { return Status{}; }, Progress);
    if (!produced) return DeflateFailed(produced.error());
    length = kSizeFieldLength + *produced;
    return Z_OK;
}

int32_t clsZlib::DecompressFile(const std::string& filePathIn, const std::string& filePathOut) {
    lastError_ = 0;
    auto data = ReadWholeFile(filePathIn, kMaxDataBytes);
    if (!data) return Failed(data.error().number);
    if (data->empty()) return Failed(0);
    if (data->size() < kSizeFieldLength) return Z_DATA_ERROR;  // not even the size field is there

    // The stream follows the size field; the array keeps the file's length, its last four
    // bytes zero (zlib ignores what follows the end of the stream).
    const int32_t claimed = ReadLittleEndian32(data->data());
    data->erase(data->begin(), data->begin() + kSizeFieldLength);
    data->resize(data->size() + kSizeFieldLength, 0);
    if (!SizeClaimPlausible(data->size(), claimed)) {
        decompressedSize_ = claimed;
        compressedSize_ = static_cast<int32_t>(data->size());
        return Z_DATA_ERROR;
    }

    const int32_t result = DecompressByteArray(*data, claimed);
    if (result != Z_OK && data->empty()) return kRunTimeFailure;
    // After a zlib error the output holds the data as far as it could be decompressed.
    if (Status written = ReplaceFileWith(filePathOut, {*data}); !written) return Failed(written.error().number);
    return result;
}

int32_t clsZlib::Failed(int systemError) {
    lastError_ = systemError;
    return kRunTimeFailure;
}

}  // namespace tarnwerk
