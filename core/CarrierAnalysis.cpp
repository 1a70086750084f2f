#include "core/CarrierAnalysis.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

#include "core/BitmapHeader.h"
#include "config/FileIo.h"
#include "core/PayloadFormat.h"
#include "core/PngAnalysis.h"
#include "core/PngChunks.h"

namespace tarnwerk {

namespace {

// The carrier facts are signed 32-bit numbers; a longer file cannot be described by them.
constexpr int64_t kMaxCarrierLength = std::numeric_limits<int32_t>::max();
constexpr int kBitsPerStreamByte = 8;
constexpr int kSupportedDepthLow = 8;
constexpr int kSupportedDepthHigh = 24;

enum class CarrierKind { Bitmap, Raw, Png, Unknown };

// Extension of the file name (after the last "/"), lower-cased; "" when it has none.
std::string LowerExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

CarrierKind KindOf(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == "bmp" || extension == "dib") return CarrierKind::Bitmap;
    if (extension == "raw") return CarrierKind::Raw;
    if (extension == "png") return CarrierKind::Png;
    return CarrierKind::Unknown;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Opens a regular file and tells its length; false when it cannot be used at all.
bool OpenCarrier(const std::string& path, UniqueFd& fd, int64_t& length) {
    auto opened = OpenFile(path, O_RDONLY);
    if (!opened) return false;
    struct stat info {};
    if (::fstat(opened->get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    fd = std::move(*opened);
    length = info.st_size;
    return true;
}

bool ReadRawInfo(const std::string& path, CarrierFacts& facts) {
    UniqueFd fd;
    int64_t length = 0;
    if (!OpenCarrier(path, fd, length) || length > kMaxCarrierLength) return false;
    facts = CarrierFacts{};
    if (length > 0) facts.path = path;
    facts.signature = "RAW";
    facts.fileSize = static_cast<int32_t>(length);
    facts.imageSize = facts.fileSize;
    facts.realLength = length;
    return true;
}

// The stored header is trusted only as far as the file really reaches: the carrier area ends
// at the real end of the file at the latest, and the picture size the capacity is measured
// from never reaches past the area's end, so hiding can neither grow the file nor write
// bytes that extraction does not read.
void RepairAndClip(CarrierFacts& facts, int64_t length) {
    int64_t imageSize = facts.imageSize;
    if (imageSize == 0) imageSize = length - facts.dataOffset;
    if (imageSize == 0) imageSize = length - facts.headerSize;
    const int64_t fileSize = std::min<int64_t>(facts.fileSize, length);
    imageSize = std::min<int64_t>(imageSize, fileSize - facts.dataOffset);
    facts.fileSize = static_cast<int32_t>(fileSize);
    facts.imageSize = ClampToInt32(imageSize);
}

bool ReadBitmapInfo(const std::string& path, CarrierFacts& facts) {
    UniqueFd fd;
    int64_t length = 0;
    if (!OpenCarrier(path, fd, length) || length > kMaxCarrierLength) return false;
    facts = CarrierFacts{};
    facts.realLength = length;
    if (length > 0) facts.path = path;
    // A file too short for the header cannot be a bitmap; it is reported as not valid.
    if (length < kBmpHeaderSize) return false;
    std::array<uint8_t, kBmpHeaderSize> header{};
    if (!ReadAt(fd.get(), header.data(), header.size(), 0, path)) return false;
    ParseBitmapHeader(header, facts);
    RepairAndClip(facts, length);
    return true;
}

CarrierVerdict ReadPngInfo(const std::string& path, CarrierAnalysis& analysis) {
    UniqueFd fd;
    int64_t length = 0;
    if (!OpenCarrier(path, fd, length)) return CarrierVerdict::NotValid;
    analysis.facts = CarrierFacts{};
    analysis.facts.path = path;
    return AnalysePng(fd.get(), path, analysis.facts, analysis.detail);
}

CarrierVerdict Judge(const CarrierFacts& facts) {
    if (facts.imageSize < 1) return CarrierVerdict::NotValid;
    if (facts.signature.compare(0, 3, "RAW") == 0) return CarrierVerdict::Raw;
    if (facts.signature.compare(0, 2, "BM") != 0) return CarrierVerdict::NotValid;
    // Pixels that start inside the headers would have the headers overwritten by a hide.
    if (facts.dataOffset < kBmpHeaderSize || facts.headerSize < 1 ||
        facts.dataOffset >= facts.realLength)
        return CarrierVerdict::NotValid;
    if (facts.compression != 0) return CarrierVerdict::Compressed;
    if (facts.bitCount != kSupportedDepthLow && facts.bitCount != kSupportedDepthHigh)
        return CarrierVerdict::UnsupportedDepth;
    return CarrierVerdict::Bitmap;
}

}  // namespace

CarrierAnalysis AnalyseCarrier(const std::string& path) {
    CarrierAnalysis analysis;
    const CarrierKind kind = KindOf(path);
    if (kind == CarrierKind::Unknown) return analysis;  // rejected without opening the file

    if (kind == CarrierKind::Png) {
        analysis.verdict = ReadPngInfo(path, analysis);
    } else {
        const bool read = kind == CarrierKind::Bitmap ? ReadBitmapInfo(path, analysis.facts)
                                                       : ReadRawInfo(path, analysis.facts);
        analysis.verdict = read ? Judge(analysis.facts) : CarrierVerdict::NotValid;
    }
    if (!analysis.accepted()) {
        analysis.facts.path.clear();
        analysis.facts.signature.clear();
    }
    return analysis;
}

HideRefusal RefusesHiding(const CarrierFacts& facts) {
    if (!facts.IsPng()) return HideRefusal::None;
    if (facts.png.animated) return HideRefusal::Animated;
    if (facts.png.transparentColour) return HideRefusal::TransparentColour;
    constexpr int kFullPalette = 256;
    if (facts.png.colourType == static_cast<uint8_t>(PngColourType::Palette) && facts.png.paletteEntries < kFullPalette)
        return HideRefusal::ShortPalette;
    return HideRefusal::None;
}

std::string HideRefusalReason(HideRefusal refusal) {
    switch (refusal) {
        case HideRefusal::None: return {};
        case HideRefusal::ShortPalette: return "the palette has fewer than 256 entries";
        case HideRefusal::TransparentColour: return "a tRNS chunk makes some colours transparent";
        case HideRefusal::Animated: return "an animated picture";
    }
    return {};
}

int64_t FreeSpace(int32_t imageSize, int bitsPerByte, bool encryption) {
    const int64_t bits = int64_t{imageSize} * bitsPerByte;
    // Rounded towards minus infinity, as free room has always been shown.
    const int64_t streamBytes = bits >= 0 ? bits / kBitsPerStreamByte : -((-bits + kBitsPerStreamByte - 1) / kBitsPerStreamByte);
    const int64_t overhead = kMarkerLength + kMarkerLength + (encryption ? kEncryptedHeaderLength : kPlainHeaderLength);
    return streamBytes - overhead - 1;
}

}  // namespace tarnwerk
