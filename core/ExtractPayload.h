// Reads hidden data back out of a carrier: header probe, extraction and raw export.
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"
#include "base/ScratchFile.h"
#include "core/CarrierFacts.h"
#include "core/PayloadFormat.h"
#include "core/Progress.h"

namespace tarnwerk {

struct FoundPayload {
    PayloadHeader header;
    int bitsPerByte = 0;  // the value the probe found (1, 2 or 4)
};

struct ExtractedPayload {
    PayloadHeader header;
    int bitsPerByte = 0;
    int64_t size = 0;  // bytes written to the output
};

// Probes 1, 2, 4 bits per byte for the begin marker and reads the header.
// Errors: NoCarrier, NoDataFound, Io, CorruptData (a PNG whose image data cannot be decoded).
Result<FoundPayload> ReadPayloadHeader(const CarrierFacts& carrier);

// Writes the data between header and end marker to outputPath (everything up to the end of
// the carrier area when there is no end marker), through an AtomicOutput: an existing file is
// replaced only on success and a failure leaves no file behind. The caller asks before
// overwriting. configuredBits only scales the progress.
// Errors: NoCarrier, NoPayload, NoDataFound, NotRegularFile, Io, CorruptData (a damaged PNG).
Result<ExtractedPayload> ExtractPayload(const CarrierFacts& carrier, int configuredBits, const std::string& outputPath,
                                        const ProgressFn& progress = {});
// The same into an empty scratch file, for callers that process the data further before it
// gets a name.
Result<ExtractedPayload> ExtractPayload(const CarrierFacts& carrier, int configuredBits, ScratchFile& output,
                                        const ProgressFn& progress = {});

// Writes the whole low-bit stream of the carrier area, decoded with bitsPerByte, to outputPath
// (same replace-on-success rule). Returns the number of bytes written.
Result<int64_t> ExportPayload(const CarrierFacts& carrier, int bitsPerByte, const std::string& outputPath,
                              const ProgressFn& progress = {});

}  // namespace tarnwerk
