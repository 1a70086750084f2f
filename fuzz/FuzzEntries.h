// The fuzz entry points as plain functions: the libFuzzer mains call them, and so does the
// regression test that replays every input kept under tests/fuzz-regress/<target>/.
//
// Each entry writes what it needs into the scratch folder, drives the public interface, checks
// what must hold for any input (no stray files, untouched carriers, sane sizes), empties the
// folder again, and returns "" or a description of the broken rule.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/SamplePlane.h"
#include "crypto/Cipher.h"
#include "crypto/StealthKeys.h"
#include "fuzz/HiddenStream.h"
#include "fuzz/ScratchDir.h"

namespace tarnwerk::fuzz {

using Input = std::span<const uint8_t>;
using Entry = std::string (*)(Input, const ScratchDir&);

struct FuzzTarget {
    std::string_view name;  // also the folder name under tests/fuzz-regress and build-fuzz/corpus-*
    Entry run;
};

std::span<const FuzzTarget> AllTargets();
const FuzzTarget* FindTarget(std::string_view name);

// Byte 0 picks the file name (.bmp, .raw, .dib, .BMP); the rest is the file.
std::string FuzzCarrierAnalysis(Input input, const ScratchDir& scratch);
// Byte 0: bit 0 picks .raw over .bmp, bits 1-2 the bits per byte for export (1, 2, 4, 4);
// the rest is the carrier file.
std::string FuzzExtraction(Input input, const ScratchDir& scratch);
// Byte 0: bits 0-1 the bits per byte for export (1, 2, 4, 4), bit 2 also hides a few bytes
// into a new file; the rest is a PNG file.
std::string FuzzPng(Input input, const ScratchDir& scratch);
// The input is a compressed file.
std::string FuzzDecompress(Input input, const ScratchDir& scratch);
// Byte 0: cipher index as stored in a header. Byte 1 below 128: the key is derived from the
// next 16 bytes as a passphrase digest; from 128 on: the next (byte 1 - 127) bytes are the key
// itself. The rest is the encrypted buffer.
std::string FuzzCipher(Input input, const ScratchDir& scratch);
// The input is the text of a settings file.
std::string FuzzSettings(Input input, const ScratchDir& scratch);
// The stealth reader on a sample plane. Byte 0 bit 0: three channels (else grey); byte 1:
// width - 64; the rest: the samples' low bits, eight per byte, least significant first (each
// sample is 100 + its bit), as many full rows as they fill. Keys are fixed (no Argon2id).
std::string FuzzStealthReader(Input input, const ScratchDir& scratch);

// Input layouts, for the seed writer.
enum class CarrierName : uint8_t { Bmp = 0, Raw = 1, Dib = 2, UpperBmp = 3 };
Bytes CarrierInput(CarrierName name, const Bytes& file);
Bytes ExtractionInput(bool raw, int exportBits, const Bytes& file);
Bytes PngInput(int exportBits, bool hide, const Bytes& file);
inline constexpr uint8_t kDigestKeyMode = 0;
inline constexpr size_t kDigestLength = 16;
Bytes CipherInputWithDigest(uint8_t cipher, const std::string& digest16, const Bytes& encrypted);
// The cipher the cipher target uses for a header's index: the class table's, except that
// XChaCha20 derives its key with Argon2id's cheapest limits (the stored ones take 256 MiB and
// a second a derivation). Seeds must be encrypted with it to decrypt in the target.
std::unique_ptr<Cipher> FuzzCipherFor(uint8_t cipherIndex);
// The stealth target's fixed keys, and its input for a plane (seeds hide with these keys).
StealthKeys FuzzStealthKeys();
Bytes StealthReaderInput(const SamplePlane& plane);

}  // namespace tarnwerk::fuzz
