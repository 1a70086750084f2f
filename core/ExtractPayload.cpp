#include "core/ExtractPayload.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "base/AtomicOutput.h"
#include "base/Helpers.h"
#include "core/BitPlacement.h"
#include "core/CarrierStream.h"

namespace tarnwerk {

namespace {

constexpr std::array<int, 3> kProbeOrder = {1, 2, 4};
constexpr int kPercentDone = 100;
constexpr size_t kFlagsAt = kMarkerLength;
constexpr size_t kCipherAt = kFlagsAt + 1;
constexpr size_t kFieldsAt = kCipherAt + 1;
// Bytes of the end marker that may belong to one not yet complete; held back between chunks.
constexpr size_t kHeldBack = kMarkerLength - 1;

struct Probe {
    PayloadHeader header;
    int bitsPerByte = 0;
    int64_t dataStart = 0;  // stream offset of the first data byte
};

// Header fields from the first block; false when the block is too short to hold them.
bool ParseHeader(const std::vector<uint8_t>& block, Probe& probe) {
    if (block.size() < kFieldsAt) return false;
    probe.header.flags = block[kFlagsAt];
    probe.header.cipher = block[kCipherAt];
    size_t at = kFieldsAt;
    if (probe.header.encrypted()) {
        if (block.size() < at + kCheckValueLength) return false;
        probe.header.checkValue.assign(reinterpret_cast<const char*>(block.data() + at), kCheckValueLength);
        at += kCheckValueLength;
    }
    if (block.size() < at + kExtensionFieldLength) return false;
    probe.header.extension =
        TrimBlanks(std::string(reinterpret_cast<const char*>(block.data() + at), kExtensionFieldLength));
    probe.dataStart = static_cast<int64_t>(at + kExtensionFieldLength);
    return true;
}

// Tries 1, 2 and 4 bits per byte: the first whose first block starts with the begin marker.
Result<Probe> ProbeCarrier(CarrierStreamReader& reader) {
    for (const int bits : kProbeOrder) {
        const size_t length = static_cast<size_t>(std::min<int64_t>(kBlockStreamBytes, reader.StreamLength(bits)));
        if (length < static_cast<size_t>(kMarkerLength)) continue;
        std::vector<uint8_t> block(length);
        if (auto decoded = reader.Decode(0, length, bits, block.data()); !decoded) return decoded.error();
        if (std::memcmp(block.data(), kBeginMarker.data(), kMarkerLength) != 0) continue;
        Probe probe;
        probe.bitsPerByte = bits;
        if (ParseHeader(block, probe)) return probe;
    }
    return MakeError(ErrorCode::NoDataFound);
}

// Percent of the picture size, as seen with the configured bits per byte, read so far.
class ProgressReport {
public:
    ProgressReport(const ProgressFn& progress, int32_t imageSize, int configuredBits)
        : progress_(progress), total_(std::max<int64_t>(1, int64_t{imageSize} * configuredBits / kBitsPerByte)) {}
    void Report(int64_t streamBytesRead) const {
        if (progress_)
            progress_(static_cast<int>(std::min<int64_t>(kPercentDone, streamBytesRead * kPercentDone / total_)));
    }
    void Done() const {
        if (progress_) progress_(kPercentDone);
    }

private:
    const ProgressFn& progress_;
    int64_t total_;
};

// First end marker in the bytes, or nullptr. Looking for its first character with memchr
// and comparing the rest is faster than a general substring search on random data.
const uint8_t* FindEndMarker(const uint8_t* bytes, size_t size) {
    const uint8_t* const end = bytes + size;
    const auto first = static_cast<unsigned char>(kEndMarker[0]);
    while (static_cast<size_t>(end - bytes) >= static_cast<size_t>(kMarkerLength)) {
        const auto* hit = static_cast<const uint8_t*>(
            std::memchr(bytes, first, static_cast<size_t>(end - bytes) - (kMarkerLength - 1)));
        if (hit == nullptr) return nullptr;
        if (std::memcmp(hit, kEndMarker.data(), kMarkerLength) == 0) return hit;
        bytes = hit + 1;
    }
    return nullptr;
}

// Appends to an open file and counts what it wrote.
class Sink {
public:
    Sink(int fd, const std::string& label) : fd_(fd), label_(label) {}
    Status Write(const uint8_t* data, size_t size) {
        Status status = WriteAll(fd_, data, size, label_);
        if (status) written_ += static_cast<int64_t>(size);
        return status;
    }
    int64_t written() const { return written_; }

private:
    int fd_;
    const std::string& label_;
    int64_t written_ = 0;
};

size_t StreamPerChunk(int bitsPerByte) {
    return kChunkCarrierBytes / static_cast<size_t>(CarrierBytesPerStreamByte(bitsPerByte));
}

// Copies the data after the header to the output until the first end marker, or to the end
// of the readable stream when there is none. A marker may straddle two chunks, so the last
// bytes of every chunk are held back until the next one shows whether they start it.
Status CopyData(CarrierStreamReader& reader, const Probe& probe, Sink& output, const ProgressReport& progress) {
    const int bits = probe.bitsPerByte;
    const int64_t end = reader.StreamLength(bits);
    const size_t perChunk = StreamPerChunk(bits);
    std::vector<uint8_t> window(kHeldBack + perChunk);
    size_t held = 0;
    for (int64_t position = probe.dataStart; position < end;) {
        const size_t part = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(perChunk), end - position));
        if (auto decoded = reader.Decode(position, part, bits, window.data() + held); !decoded) return decoded;
        position += static_cast<int64_t>(part);
        const size_t filled = held + part;
        if (const uint8_t* marker = FindEndMarker(window.data(), filled)) {
            const size_t before = static_cast<size_t>(marker - window.data());
            return output.Write(window.data(), before);
        }
        held = std::min(filled, kHeldBack);
        if (auto put = output.Write(window.data(), filled - held); !put) return put;
        std::memmove(window.data(), window.data() + filled - held, held);
        progress.Report(position);
    }
    return output.Write(window.data(), held);
}

Status CopyStream(CarrierStreamReader& reader, int bits, Sink& output, const ProgressReport& progress) {
    const int64_t end = reader.StreamLength(bits);
    const size_t perChunk = StreamPerChunk(bits);
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(perChunk), end)));
    for (int64_t position = 0; position < end;) {
        const size_t part = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(perChunk), end - position));
        if (auto decoded = reader.Decode(position, part, bits, buffer.data()); !decoded) return decoded;
        if (auto put = output.Write(buffer.data(), part); !put) return put;
        position += static_cast<int64_t>(part);
        progress.Report(position);
    }
    return {};
}

}  // namespace

Result<FoundPayload> ReadPayloadHeader(const CarrierFacts& carrier) {
    if (!carrier.IsLoaded()) return MakeError(ErrorCode::NoCarrier);
    auto reader = CarrierStreamReader::Open(carrier);
    if (!reader) return reader.error();
    auto probe = ProbeCarrier(*reader);
    if (!probe) return probe.error();
    return FoundPayload{probe->header, probe->bitsPerByte};
}

Result<ExtractedPayload> ExtractPayload(const CarrierFacts& carrier, int configuredBits, ScratchFile& output,
                                        const ProgressFn& progress) {
    if (!carrier.IsLoaded()) return MakeError(ErrorCode::NoCarrier);
    auto reader = CarrierStreamReader::Open(carrier);
    if (!reader) return reader.error();
    auto probe = ProbeCarrier(*reader);
    if (!probe) return probe.error();

    const ProgressReport report(progress, carrier.imageSize,
                                IsSupportedBitsPerByte(configuredBits) ? configuredBits : 1);
    report.Report(0);
    Sink sink(output.fd(), output.path());
    if (auto copied = CopyData(*reader, *probe, sink, report); !copied) return copied.error();
    report.Done();
    return ExtractedPayload{probe->header, probe->bitsPerByte, sink.written()};
}

Result<ExtractedPayload> ExtractPayload(const CarrierFacts& carrier, int configuredBits, const std::string& outputPath,
                                        const ProgressFn& progress) {
    if (!carrier.IsLoaded()) return MakeError(ErrorCode::NoCarrier);
    if (outputPath.empty()) return MakeError(ErrorCode::NoPayload);
    auto output = AtomicOutput::Create(outputPath);
    if (!output) return output.error();
    auto extracted = ExtractPayload(carrier, configuredBits, output->content(), progress);
    if (!extracted) return extracted;
    if (auto committed = output->Commit(); !committed) return committed.error();
    return extracted;
}

Result<int64_t> ExportPayload(const CarrierFacts& carrier, int bitsPerByte, const std::string& outputPath,
                              const ProgressFn& progress) {
    if (!carrier.IsLoaded()) return MakeError(ErrorCode::NoCarrier);
    if (outputPath.empty()) return MakeError(ErrorCode::NoPayload);
    if (!IsSupportedBitsPerByte(bitsPerByte)) return MakeError(ErrorCode::Internal);
    auto reader = CarrierStreamReader::Open(carrier);
    if (!reader) return reader.error();

    const ProgressReport report(progress, carrier.imageSize, bitsPerByte);
    report.Report(0);
    auto output = AtomicOutput::Create(outputPath);
    if (!output) return output.error();
    Sink sink(output->content().fd(), outputPath);
    if (auto copied = CopyStream(*reader, bitsPerByte, sink, report); !copied) return copied.error();
    if (auto committed = output->Commit(); !committed) return committed.error();
    report.Done();
    return sink.written();
}

}  // namespace tarnwerk
