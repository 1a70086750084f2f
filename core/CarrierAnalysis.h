// Reads a carrier file's header into CarrierFacts and judges whether it can carry data.
#pragma once

#include <string>

#include "core/CarrierFacts.h"

namespace tarnwerk {

enum class CarrierVerdict {
    Bitmap,            // accepted: uncompressed 8- or 24-bit bitmap
    Raw,               // accepted: RAW picture bytes
    Png,               // accepted: 8- or 16-bit grey, RGB, with or without alpha, or 8-bit palette PNG
    NotValid,          // message A (ids 408, 409)
    Compressed,        // message B (ids 410, 411, 412)
    UnsupportedDepth,  // message C (ids 413, 307, 414), names facts.bitCount
    TooLarge,          // a PNG declares more pixels than the reader takes (ids 561, 562)
    Damaged,           // a PNG breaks the format; detail says how (id 563)
};

// Why a readable carrier must not be hidden into; extraction and export still work.
enum class HideRefusal {
    None,
    TransparentColour,  // tRNS: changed samples could turn transparent or opaque (ids 566, 565)
    Animated,           // further frames would no longer fit the changed picture (ids 567, 565)
};

struct CarrierAnalysis {
    CarrierVerdict verdict = CarrierVerdict::NotValid;
    CarrierFacts facts;  // filled as far as the file could be read; cleared path/signature on rejection
    std::string detail;  // Damaged: what is wrong, in the format's terms
    bool png = false;    // judged by the PNG reader (by the extension), accepted or not
    bool accepted() const {
        return verdict == CarrierVerdict::Bitmap || verdict == CarrierVerdict::Raw || verdict == CarrierVerdict::Png;
    }
};

// Chooses the reader by extension (bmp/dib/raw/png, any case); other extensions give NotValid.
CarrierAnalysis AnalyseCarrier(const std::string& path);
// True when AnalyseCarrier would read both paths with the same reader (by their extensions):
// a result written for one can be read again under the other name.
bool ReadAlike(const std::string& path, const std::string& other);

HideRefusal RefusesHiding(const CarrierFacts& facts);
// The refusal in the format's terms, for error details.
std::string HideRefusalReason(HideRefusal refusal);

}  // namespace tarnwerk
