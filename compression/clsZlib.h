// zlib's one-shot compress2/uncompress over byte arrays and whole files, and the stored
// compressed-file format: 4-byte little-endian uncompressed size, then the zlib stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    int32_t CompressFile(const std::string& filePathIn, const std::string& filePathOut, int16_t compressionLevel);
    int32_t DecompressFile(const std::string& filePathIn, const std::string& filePathOut);

private:
    int32_t Failed(int systemError);  // kRunTimeFailure, remembering the errno

    int lastError_ = 0;
    int32_t compressedSize_ = 0;
    int32_t decompressedSize_ = 0;
};

}  // namespace tarnwerk
