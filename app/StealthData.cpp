#include "app/StealthData.h"

#include <cerrno>
#include <optional>

#include "base/FileIo.h"
#include "base/ScratchFile.h"
#include "compression/clsZlib.h"

namespace tarnwerk {

namespace {

// The stored compressed format's level, as a classic hide writes it.
constexpr int16_t kCompressionLevel = 9;

}  // namespace

Result<StealthPayload> ReadStealthPayload(const std::string& dataPath, const std::string& extension, bool compress,
                                          int64_t maximum, const std::function<void(int)>& progress) {
    std::optional<ScratchFile> packed;
    if (compress) {
        Result<ScratchFile> scratch = ScratchFile::CreateBesideOrInTemp(dataPath);
        if (!scratch) return scratch.error();
        clsZlib zlib;
        if (progress) zlib.Progress = [&progress](int32_t percent) { progress(percent); };
        if (Status done = zlib.CompressFile(dataPath, scratch->path(), kCompressionLevel); !done) return done.error();
        packed = std::move(*scratch);
    }
    const std::string& source = packed ? packed->path() : dataPath;
    Result<std::vector<uint8_t>> bytes = ReadWholeFile(source, maximum < 0 ? 0 : maximum);
    if (!bytes) {
        if (bytes.error().number == EFBIG) return MakeError(ErrorCode::PayloadTooLarge, dataPath);
        return bytes.error();
    }
    if (bytes->empty()) return MakeError(ErrorCode::EmptyInput, dataPath);
    return StealthPayload{compress, extension, std::move(*bytes)};
}

Status WriteStealthPayload(const StealthPayload& payload, AtomicOutput& output) {
    ScratchFile& content = output.content();
    if (Status written = WriteAll(content.fd(), payload.data.data(), payload.data.size(), content.path()); !written)
        return written;
    if (!payload.compressed) return {};
    Result<ScratchFile> plain = ScratchFile::CreateBeside(output.target());
    if (!plain) return plain.error();
    if (Status decompressed = clsZlib().DecompressFile(content.path(), plain->path()); !decompressed)
        return decompressed;
    output.Take(std::move(*plain));
    return {};
}

}  // namespace tarnwerk
