// How much a carrier takes, written once: the largest prepared payload a picture area holds and
// the smallest picture area a payload needs (exact inverses), and how far readers decode.
// Every display, check and calculation of room goes through these.
#pragma once

#include <cstdint>

#include "core/StealthFormat.h"

namespace tarnwerk {

// Stream bytes beyond the data: begin and end marker, the header (26 bytes with the passphrase
// check or salt, else 10) and a reserve of 8 bytes, kept so that a stream written to the full
// room still lies within what every reader decodes.
int64_t StreamOverhead(bool encrypted);

// Largest prepared payload (bytes) that a picture area of areaBytes takes at bitsPerByte;
// zero or negative for areas too small for even an empty payload.
int64_t LargestPayload(int64_t areaBytes, int bitsPerByte, bool encrypted);

// Smallest picture area (bytes) that takes a prepared payload of payloadSize bytes:
// LargestPayload(SmallestCarrierArea(n)) == n, and one byte less takes n - 1 at most.
int64_t SmallestCarrierArea(int64_t payloadSize, int bitsPerByte, bool encrypted);

// Stream bytes a reader decodes from the carrier area: whole stream bytes from dataOffset up
// to, but not including, the area's last byte at fileSize - 1 (the reading loops never reach it).
int64_t ReadableStreamLength(int64_t fileSize, int64_t dataOffset, int bitsPerByte);

// The stealth method's room, in data bytes (after salt, header, seal, flags and extension
// field), at a rate in bits per usable sample: only samples that can change at a finite cost
// carry, so a picture with large flat or saturated areas takes less than its size suggests.
// The recommended room keeps a trained detector near chance; the maximum is what the coding
// takes without touching the unusable samples, within the format's half a bit per sample.
inline constexpr double kStealthRecommendedRate = 0.1;
inline constexpr double kStealthMaximumRate = 0.5;
// The salt's public region (4096 samples, 128 bits) must offer at least this many usable
// samples, a quarter of a bit per usable sample at most; the keyed header region, drawn from
// the same mix of the picture, then has about as many for its 64 bits. A picture below it is
// too flat to take anything: the coder would have to change unusable samples.
inline constexpr uint64_t kStealthMinUsableInSaltRegion = 512;

struct StealthCapacity {
    int64_t recommended = 0;
    int64_t maximum = 0;
};
// Zero room when the picture is too small or too flat.
StealthCapacity StealthCapacityOf(const StealthLayout& layout, uint64_t usableSamples, uint64_t usableInSaltRegion);

}  // namespace tarnwerk
