// Reads a carrier file's header into CarrierFacts and judges whether it can carry data.
#pragma once

#include <string>

#include "core/CarrierFacts.h"

namespace tarnwerk {

enum class CarrierVerdict {
    Bitmap,            // accepted: uncompressed 8- or 24-bit bitmap
    Raw,               // accepted: RAW picture bytes
    NotValid,          // message A (ids 408, 409)
    Compressed,        // message B (ids 410, 411, 412)
    UnsupportedDepth,  // message C (ids 413, 307, 414), names facts.bitCount
};

struct CarrierAnalysis {
    CarrierVerdict verdict = CarrierVerdict::NotValid;
    CarrierFacts facts;  // filled as far as the file could be read; cleared path/signature on rejection
    bool accepted() const { return verdict == CarrierVerdict::Bitmap || verdict == CarrierVerdict::Raw; }
};

// Chooses the reader by extension (bmp/dib/raw, any case); other extensions give NotValid.
CarrierAnalysis AnalyseCarrier(const std::string& path);

}  // namespace tarnwerk
