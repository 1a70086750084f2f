// zlib's one-shot compress2/uncompress over byte arrays and whole files, and the stored
// compressed-file format: 4-byte little-endian uncompressed size, then the zlib stream.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/FileIo.h"
#include "config/Result.h"

namespace tarnwerk {

class clsZlib {
public:
    // Returned by the file variants for any run-time failure (never a zlib code).
    static constexpr int32_t kRunTimeFailure = 1;

    int32_t ValueCompressedSize() const { return compressedSize_; }
    int32_t ValueDecompressedSize() const { return decompressedSize_; }
    // The system error number behind the last kRunTimeFailure of a file variant (0: none).
    int LastSystemError() const { return lastError_; }

    // zlib result codes pass through unchanged (0 ok, -2, -3, -4, -5).
    int32_t CompressByteArray(std::vector<uint8_t>& theData, int16_t compressionLevel);
    int32_t DecompressByteArray(std::vector<uint8_t>& theData, int32_t uncompressedSize);

    // Streams the file through deflate in pieces (constant memory); the stored bytes equal
    // what compress2 writes for the whole file. The output replaces filePathOut only when it
    // is complete (ReplaceFileBy: a scratch file's /proc path is written in place). The input
    // must be a regular file; anything else is refused without waiting for a writer.
    int32_t CompressFile(const std::string& filePathIn, const std::string& filePathOut, int16_t compressionLevel);
    int32_t DecompressFile(const std::string& filePathIn, const std::string& filePathOut);
    // The length CompressFile would write (size field and zlib stream), found by compressing
    // and counting, without writing anything. Same results as CompressFile.
    int32_t CompressedFileLength(const std::string& filePathIn, int16_t compressionLevel, int64_t& length);

    // Percent of the input compressed so far, reported by the file variants while they run.
    std::function<void(int32_t percent)> Progress;

private:
    int32_t Failed(int systemError);  // kRunTimeFailure, remembering the errno
    int32_t DeflateFailed(const Error& error);
    // The input of the file variants: a non-empty regular file within the stored size's range.
    int32_t OpenInput(const std::string& filePathIn, UniqueFd& fd, int64_t& length);

    int lastError_ = 0;
    int32_t compressedSize_ = 0;
    int32_t decompressedSize_ = 0;
};

}  // namespace tarnwerk
