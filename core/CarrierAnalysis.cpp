#include "core/CarrierAnalysis.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "base/FileIo.h"
#include "base/Helpers.h"
#include "core/BitmapHeader.h"
#include "core/PngAnalysis.h"

namespace tarnwerk {

namespace {

// The carrier facts are signed 32-bit numbers; a longer file cannot be described by them.
constexpr int64_t kMaxCarrierLength = std::numeric_limits<int32_t>::max();
constexpr int kSupportedDepthLow = 8;
constexpr int kSupportedDepthHigh = 24;
constexpr int64_t kFileHeaderSize = 14;    // BITMAPFILEHEADER; the info header follows it
constexpr int64_t kV5HeaderSize = 124;     // BITMAPV5HEADER
constexpr int64_t kV5ProfileFields = 126;  // bV5ProfileData, then bV5ProfileSize
constexpr int64_t kPaletteEntryBytes = 4;

enum class CarrierKind { Bitmap, Raw, Png, Unknown };

// Extension of the file name (after the last "/"), lower-cased; "" when it has none.
std::string LowerExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    return LowerAscii(path.substr(dot + 1));
}

CarrierKind KindOf(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == "bmp" || extension == "dib") return CarrierKind::Bitmap;
    if (extension == "raw") return CarrierKind::Raw;
    if (extension == "png") return CarrierKind::Png;
    return CarrierKind::Unknown;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Opens a regular file and tells its length; false when it cannot be used at all. A FIFO
// is refused after a non-blocking open, so one without a writer cannot hang the program.
bool OpenCarrier(const std::string& path, UniqueFd& fd, int64_t& length) {
    auto opened = OpenForReading(path);
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

// Where the pixel rows end and what follows them, as far as the header tells.
struct PictureLimits {
    int64_t rowBytes = 0;      // stride x height; 0 when the header gives no usable rows
    int64_t profileStart = 0;  // file offset of a colour profile named by a V5 header; 0: none
};

// Rows are padded to whole 32-bit words.
int64_t PixelRowBytes(const CarrierFacts& facts) {
    if (facts.width <= 0 || facts.height == 0 || facts.bitCount <= 0) return 0;
    const int64_t stride = (int64_t{facts.width} * facts.bitCount + 31) / 32 * 4;
    const int64_t rows = std::abs(int64_t{facts.height});
    return rows > std::numeric_limits<int64_t>::max() / stride ? std::numeric_limits<int64_t>::max() : stride * rows;
}

// The profile's offset is counted from the start of the V5 header, which follows the file header.
Status ReadProfileStart(int fd, const CarrierFacts& facts, int64_t length, const std::string& path,
                        int64_t& profileStart) {
    profileStart = 0;
    if (facts.headerSize < kV5HeaderSize || length < kFileHeaderSize + kV5HeaderSize) return {};
    std::array<uint8_t, 8> fields{};
    if (auto read = ReadAt(fd, fields.data(), fields.size(), kV5ProfileFields, path); !read) return read;
    const int64_t offset = static_cast<uint32_t>(ReadLe32(fields.data()));
    const int64_t size = static_cast<uint32_t>(ReadLe32(fields.data() + 4));
    if (offset > 0 && size > 0) profileStart = kFileHeaderSize + offset;
    return {};
}

// The picture size hiding may use. A header that names a colour profile, or leaves the size
// open (0), lets hiding reach only to the end of the pixel rows or to the profile, whichever
// comes first: what follows the pixels (a profile, say) must keep its bytes.
int64_t HideableImageSize(const CarrierFacts& facts, int64_t length, const PictureLimits& limits) {
    int64_t imageSize = facts.imageSize;
    const bool profileFollows = limits.profileStart > facts.dataOffset;
    if (imageSize != 0 && !profileFollows) return imageSize;
    int64_t bound = std::numeric_limits<int64_t>::max();
    if (limits.rowBytes > 0) bound = limits.rowBytes;
    if (profileFollows) bound = std::min(bound, limits.profileStart - facts.dataOffset);
    if (imageSize == 0 && bound == std::numeric_limits<int64_t>::max()) {
        imageSize = length - facts.dataOffset;
        if (imageSize == 0) imageSize = length - facts.headerSize;
        return imageSize;
    }
    return imageSize == 0 ? bound : std::min(imageSize, bound);
}

// The stored header is trusted only as far as the file really reaches: the carrier area ends
// at the real end of the file at the latest, and the picture size the capacity is measured
// from never reaches past the area's end, so hiding can neither grow the file nor write
// bytes that extraction does not read.
void RepairAndClip(CarrierFacts& facts, int64_t length, const PictureLimits& limits) {
    int64_t imageSize = HideableImageSize(facts, length, limits);
    const int64_t fileSize = std::min<int64_t>(facts.fileSize, length);
    imageSize = std::min<int64_t>(imageSize, fileSize - facts.dataOffset);
    facts.fileSize = static_cast<int32_t>(fileSize);
    facts.imageSize = ClampToInt32(imageSize);
}

// Entries of an 8-bit bitmap's colour table: biClrUsed (0 meaning all 256), but no more than
// fit between the headers and the pixels.
bool HasShortColourTable(const CarrierFacts& facts) {
    if (facts.bitCount != kSupportedDepthLow) return false;
    const int64_t full = kFullColourTable;
    const int64_t declared = facts.colorsUsed <= 0 ? full : std::min<int64_t>(facts.colorsUsed, full);
    const int64_t room =
        std::max<int64_t>(0, (int64_t{facts.dataOffset} - kFileHeaderSize - facts.headerSize) / kPaletteEntryBytes);
    return std::min(declared, room) < full;
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
    PictureLimits limits;
    limits.rowBytes = PixelRowBytes(facts);
    if (!ReadProfileStart(fd.get(), facts, length, path, limits.profileStart)) return false;
    RepairAndClip(facts, length, limits);
    facts.shortColourTable = HasShortColourTable(facts);
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
    if (facts.dataOffset < kBmpHeaderSize || facts.headerSize < 1 || facts.dataOffset >= facts.realLength)
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
        analysis.png = true;
        analysis.verdict = ReadPngInfo(path, analysis);
    } else {
        const bool read =
            kind == CarrierKind::Bitmap ? ReadBitmapInfo(path, analysis.facts) : ReadRawInfo(path, analysis.facts);
        analysis.verdict = read ? Judge(analysis.facts) : CarrierVerdict::NotValid;
    }
    if (!analysis.accepted()) {
        analysis.facts.path.clear();
        analysis.facts.signature.clear();
    }
    return analysis;
}

bool ReadAlike(const std::string& path, const std::string& other) { return KindOf(path) == KindOf(other); }

HideRefusal RefusesHiding(const CarrierFacts& facts) {
    if (!facts.IsPng()) return HideRefusal::None;
    if (facts.png.animated) return HideRefusal::Animated;
    if (facts.png.transparentColour) return HideRefusal::TransparentColour;
    return HideRefusal::None;
}

std::string HideRefusalReason(HideRefusal refusal) {
    switch (refusal) {
        case HideRefusal::None:
            return {};
        case HideRefusal::TransparentColour:
            return "a tRNS chunk makes some colours transparent";
        case HideRefusal::Animated:
            return "an animated picture";
    }
    return {};
}

}  // namespace tarnwerk
