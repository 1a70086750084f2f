// zlib's one-shot compress2/uncompress over byte arrays and whole files, and the stored
// compressed-file format: 4-byte little-endian uncompressed size, then the zlib stream.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/FileIo.h"
#include "base/Result.h"

namespace tarnwerk {

class clsZlib {
public:
    int32_t ValueCompressedSize() const { return compressedSize_; }
    int32_t ValueDecompressedSize() const { return decompressedSize_; }

    // Errors of every member: OutOfMemory (zlib's, or a buffer beyond the stored sizes' range),
    // CorruptData (a damaged stream, or one whose stated size does not hold), Internal (an
    // invalid level); the file variants add those of reading and writing files, EmptyInput and
    // NotRegularFile for their input.
    Status CompressByteArray(std::vector<uint8_t>& theData, int16_t compressionLevel);
    // After a failure the array holds the data as far as it could be decompressed.
    Status DecompressByteArray(std::vector<uint8_t>& theData, int32_t uncompressedSize);

    // Streams the file through deflate in pieces (constant memory); the stored bytes equal
    // what compress2 writes for the whole file. The output replaces filePathOut only when it
    // is complete (ReplaceFileBy: a scratch file's /proc path is written in place). The input
    // must be a regular file; anything else is refused without waiting for a writer.
    Status CompressFile(const std::string& filePathIn, const std::string& filePathOut, int16_t compressionLevel);
    // A damaged stream still writes the data as far as it could be decompressed, then fails
    // with CorruptData.
    Status DecompressFile(const std::string& filePathIn, const std::string& filePathOut);
    // The length CompressFile would write (size field and zlib stream), found by compressing
    // and counting, without writing anything. Fails as CompressFile would.
    Result<int64_t> CompressedFileLength(const std::string& filePathIn, int16_t compressionLevel);

    // Percent of the input compressed so far, reported by the file variants while they run.
    std::function<void(int32_t percent)> Progress;

private:
    // The input of the file variants: a non-empty regular file within the stored size's range.
    Result<UniqueFd> OpenInput(const std::string& filePathIn, int64_t& length);

    int32_t compressedSize_ = 0;
    int32_t decompressedSize_ = 0;
};

}  // namespace tarnwerk
