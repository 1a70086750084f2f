#include "core/HidePayload.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/FileIo.h"
#include "core/BitPlacement.h"
#include "core/Capacity.h"
#include "core/CarrierArea.h"
#include "core/CarrierStream.h"
#include "core/EndMarkerScan.h"
#include "core/PayloadFormat.h"

namespace tarnwerk {

namespace {

constexpr int kPercentDone = 100;

// The stream, begin marker + header, data read from the payload file, end marker, produced
// piece by piece in the order it is written.
class StreamProducer {
public:
    StreamProducer(std::string prefix, int dataFd, int64_t dataSize, const std::string& dataPath)
        : prefix_(std::move(prefix)), dataFd_(dataFd), dataSize_(dataSize), dataPath_(dataPath) {}

    int64_t length() const { return static_cast<int64_t>(prefix_.size()) + dataSize_ + kMarkerLength; }
    int64_t dataDone() const { return dataDone_; }

    // Fills out with the next count stream bytes.
    Status Next(uint8_t* out, size_t count) {
        while (count > 0) {
            size_t part;
            if (position_ < static_cast<int64_t>(prefix_.size())) {
                part = std::min(count, prefix_.size() - static_cast<size_t>(position_));
                std::memcpy(out, prefix_.data() + position_, part);
            } else if (dataDone_ < dataSize_) {
                part = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), dataSize_ - dataDone_));
                if (auto read = ReadExactly(dataFd_, out, part, dataPath_); !read) return read;
                dataDone_ += static_cast<int64_t>(part);
            } else {
                const size_t markerDone =
                    static_cast<size_t>(position_ - static_cast<int64_t>(prefix_.size()) - dataSize_);
                part = std::min(count, static_cast<size_t>(kMarkerLength) - markerDone);
                std::memcpy(out, kEndMarker.data() + markerDone, part);
            }
            out += part;
            count -= part;
            position_ += static_cast<int64_t>(part);
        }
        return {};
    }

private:
    std::string prefix_;
    int dataFd_;
    int64_t dataSize_;
    const std::string& dataPath_;
    int64_t position_ = 0;
    int64_t dataDone_ = 0;
};

int Percent(int64_t done, int64_t total) {
    if (total <= 0) return kPercentDone;
    return static_cast<int>(std::min<int64_t>(kPercentDone, done * kPercentDone / total));
}

// The payload file must still hold the bytes the workflow measured; checked before the
// carrier is touched.
Status CheckPayloadLength(int fd, const PayloadSource& source) {
    auto length = FileLength(fd, source.path);
    if (!length) return length.error();
    if (*length < source.size) return MakeError(ErrorCode::FileEndedEarly, source.path);
    return {};
}

// The room the carrier offers now: its picture size, but never past the area as it is now.
int64_t HideArea(const CarrierFacts& carrier, const CarrierArea& area) {
    return std::min<int64_t>(carrier.imageSize, area.Length());
}

Status WriteStream(CarrierArea& area, int bitsPerByte, StreamProducer& stream, int64_t payloadSize,
                   const ProgressFn& progress) {
    const size_t perByte = static_cast<size_t>(CarrierBytesPerStreamByte(bitsPerByte));
    const size_t streamPerChunk = kChunkCarrierBytes / perByte;
    std::vector<uint8_t> streamBytes(streamPerChunk);
    std::vector<uint8_t> carrierBytes(kChunkCarrierBytes);

    int64_t written = 0;
    const int64_t total = stream.length();
    while (written < total) {
        const size_t part =
            static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(streamPerChunk), total - written));
        const int64_t offset = written * static_cast<int64_t>(perByte);
        if (auto next = stream.Next(streamBytes.data(), part); !next) return next;
        if (auto read = area.Read(offset, carrierBytes.data(), part * perByte); !read) return read;
        PlaceBits(carrierBytes.data(), streamBytes.data(), part, bitsPerByte);
        if (auto put = area.Write(offset, carrierBytes.data(), part * perByte); !put) return put;
        written += static_cast<int64_t>(part);
        if (progress) progress(Percent(stream.dataDone(), payloadSize));
    }
    return {};
}

}  // namespace

Status HidePayload(const CarrierFacts carrier, int bitsPerByte, const PayloadSource& source, const ProgressFn& progress,
                   const std::string& outputPath) {
    if (!carrier.IsLoaded()) return MakeError(ErrorCode::NoCarrier);
    if (source.path.empty()) return MakeError(ErrorCode::NoPayload);
    if (!IsSupportedBitsPerByte(bitsPerByte) || source.size < 0) return MakeError(ErrorCode::Internal);
    if (carrier.shortColourTable) return MakeError(ErrorCode::ShortColourTable, carrier.path);
    if (LargestPayload(carrier.imageSize, bitsPerByte, source.encrypted) < source.size)
        return MakeError(ErrorCode::PayloadTooLarge);

    const std::string header =
        BuildPayloadHeader(source.compressed, source.encrypted, source.cipher, source.checkValue, source.extension);
    auto payload = OpenFile(source.path, O_RDONLY);
    if (!payload) return payload.error();
    if (auto checked = CheckPayloadLength(payload->get(), source); !checked) return checked;
    auto cut = EndMarkerCutsPayload(header, payload->get(), source.size, source.path);
    if (!cut) return cut.error();
    if (*cut) return MakeError(ErrorCode::EndMarkerInData, source.path);

    auto area = OpenAreaForHide(carrier, outputPath);
    if (!area) return area.error();
    // A carrier that shrank since it was analysed, or facts not taken from the file, would
    // otherwise make the stream grow the file or end where readers do not look.
    if (LargestPayload(HideArea(carrier, **area), bitsPerByte, source.encrypted) < source.size)
        return MakeError(ErrorCode::PayloadTooLarge, carrier.path);

    StreamProducer stream(std::string(kBeginMarker) + header, payload->get(), source.size, source.path);
    if (progress) progress(0);
    if (auto written = WriteStream(**area, bitsPerByte, stream, source.size, progress); !written) return written;
    if (auto finished = (*area)->Finish(); !finished) return finished;
    if (progress) progress(kPercentDone);
    return {};
}

}  // namespace tarnwerk
