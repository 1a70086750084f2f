// Where the stealth method's bits go. Sample indices are positions in SamplePlane::samples.
//
// Salt region: kSaltRegionSamples distinct samples drawn from a public stream (ChaCha20 under
// BLAKE2b-256(label || sample count), nonce 0): each 64-bit word u gives the index
// floor(u * n / 2^64); repeats are skipped. The order of drawing is the embedding order.
//
// Keyed order of all other samples, in two levels (mixing at streaming speed):
//   1. the samples are cut into runs of kRunSamples neighbours (the last one shorter) and the
//      runs are shuffled by Fisher-Yates under the order key (nonce 0);
//   2. the run-shuffled sequence, salt samples left out, is cut into regions: the header
//      region (kHeaderRegionSamples), then body segments of kSegmentSamples; each region is
//      shuffled by Fisher-Yates under the order key with the region's id as nonce.
// Fisher-Yates: for i = n-1 down to 1, j = floor(w * (i + 1) / 2^32) for the next 32-bit word
// w of the stream, swap items i and j.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/StealthFormat.h"
#include "crypto/StealthKeys.h"

namespace tarnwerk {

std::vector<uint32_t> SaltRegion(size_t samples);

class StealthOrder {
public:
    // excluded: the salt region's indices (any order).
    StealthOrder(const StealthKey& orderKey, const StealthLayout& layout, std::vector<uint32_t> excluded);

    // The header region's sample indices in embedding order.
    std::vector<uint32_t> HeaderRegion() const { return Region(0, kHeaderRegionSamples, kHeaderRegionId); }
    // A body segment's sample indices in embedding order.
    std::vector<uint32_t> Segment(size_t segment) const;

private:
    struct Cursor {
        size_t run = 0;     // position in the shuffled run list
        size_t offset = 0;  // samples of that run already taken
    };
    std::vector<uint32_t> Region(size_t start, size_t size, uint64_t id) const;
    Cursor Locate(size_t position) const;

    StealthKey key_;
    StealthLayout layout_;
    std::vector<uint32_t> excluded_;      // sorted
    std::vector<uint32_t> runs_;          // shuffled run numbers
    std::vector<uint32_t> usableBefore_;  // per shuffled run: samples outside the salt region before it
};

}  // namespace tarnwerk
