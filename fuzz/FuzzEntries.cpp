#include "fuzz/FuzzEntries.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>

#include "compression/clsZlib.h"
#include "config/Settings.h"
#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "crypto/Cipher.h"
#include "crypto/clsXChaCha20.h"
#include "support/TestCarriers.h"

namespace tarnwerk::fuzz {

namespace {

constexpr std::array<const char*, 4> kCarrierNames = {"carrier.bmp", "carrier.raw", "carrier.dib", "CARRIER.BMP"};
constexpr std::array<int, 4> kExportBits = {1, 2, 4, 4};
constexpr uint8_t kRawKeyMode = 128;
constexpr size_t kMakeKeyLength = 256;
constexpr size_t kCheckValueLength = 16;
constexpr size_t kExtensionLength = 8;
// Argon2id at its floor (one pass, 8 KiB): fast enough to fuzz, same code paths.
constexpr Argon2Limits kFuzzArgon2Limits{1, 8 * 1024};
// A screen of 1280 x 1024 pixels at 15 twips per pixel.
constexpr int32_t kScreenWidthTwips = 19200;
constexpr int32_t kScreenHeightTwips = 15360;
constexpr int32_t kTopMargin = 750;
constexpr int32_t kLeftMargin = 480;

std::string Text(Input bytes) { return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()); }

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

int64_t SizeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

// Every file in the folder must be one the caller expects: engines clean up behind themselves.
std::string CheckOnly(const ScratchDir& scratch, std::set<std::string> allowed, const std::string& after) {
    for (const auto& name : scratch.Entries())
        if (!allowed.count(name)) return after + " left the file \"" + name + "\" behind";
    return {};
}

std::string ErrorText(const Error& error) {
    return "error " + std::to_string(static_cast<int>(error.code)) + " (" + error.path + ")";
}

std::string CheckCarrierFacts(const CarrierAnalysis& analysis, const std::string& path) {
    const CarrierFacts& f = analysis.facts;
    if (!analysis.accepted()) {
        if (!f.path.empty() || !f.signature.empty()) return "a rejected carrier stays loaded";
        return {};
    }
    if (f.path != path) return "an accepted carrier names another path";
    if (analysis.verdict == CarrierVerdict::Raw && f.signature != "RAW") return "RAW carrier without RAW signature";
    if (analysis.verdict == CarrierVerdict::Bitmap) {
        if (f.signature != "BM") return "bitmap accepted without BM signature";
        if (f.compression != 0) return "compressed bitmap accepted";
        if (f.bitCount != 8 && f.bitCount != 24) return "bitmap of depth " + std::to_string(f.bitCount) + " accepted";
    }
    if (analysis.verdict == CarrierVerdict::Png) {
        if (f.signature != "PNG") return "PNG accepted without PNG signature";
        if (f.png.bitDepth != 8 && f.png.bitDepth != 16)
            return "PNG of depth " + std::to_string(f.png.bitDepth) + " accepted";
        if (int64_t{f.width} * f.height * f.png.colourChannels != f.imageSize)
            return "PNG area is not its colour samples";
    } else if (f.fileSize > f.realLength) {
        return "carrier area reaches past the end of the file";
    }
    if (f.dataOffset < 0 || f.imageSize < 1) return "accepted carrier with negative offset or empty picture";
    if (int64_t{f.dataOffset} + f.imageSize > f.fileSize) return "picture size reaches past the carrier area";
    for (const int bits : {1, 2, 4})
        for (const bool encryption : {false, true})
            if (LargestPayload(f.imageSize, bits, encryption) > int64_t{f.imageSize} * bits / 8)
                return "free space larger than the picture";
    return {};
}

std::string CheckHeader(const PayloadHeader& header) {
    if (header.checkValue.size() > kCheckValueLength) return "check value longer than its field";
    if (header.extension.size() > kExtensionLength) return "extension longer than its field";
    if (!header.encrypted() && !header.checkValue.empty()) return "check value without the encrypted flag";
    return {};
}

bool AcceptableReadError(ErrorCode code) { return code == ErrorCode::NoDataFound || code == ErrorCode::CorruptData; }

std::string CheckExtraction(const ScratchDir& scratch, const std::string& name, Input file, int exportBits) {
    const std::string carrierPath = scratch.File(name);
    const CarrierAnalysis analysis = AnalyseCarrier(carrierPath);
    if (auto problem = CheckCarrierFacts(analysis, carrierPath); !problem.empty()) return problem;
    if (!analysis.accepted()) return {};
    const CarrierFacts& carrier = analysis.facts;
    const int64_t areaBytes = int64_t{carrier.fileSize} - carrier.dataOffset;

    const auto found = ReadPayloadHeader(carrier);
    if (found) {
        if (found->bitsPerByte != 1 && found->bitsPerByte != 2 && found->bitsPerByte != 4)
            return "header found with " + std::to_string(found->bitsPerByte) + " bits per byte";
        if (auto problem = CheckHeader(found->header); !problem.empty()) return problem;
    } else if (!AcceptableReadError(found.error().code)) {
        return "ReadPayloadHeader on a readable file: " + ErrorText(found.error());
    }

    const std::string outPath = scratch.File("out.bin");
    const auto extracted = ExtractPayload(carrier, exportBits, outPath);
    if (extracted.ok() != found.ok()) return "ReadPayloadHeader and ExtractPayload disagree about the payload";
    if (extracted) {
        if (extracted->bitsPerByte != found->bitsPerByte) return "probe and extraction found different bit counts";
        if (extracted->header.flags != found->header.flags || extracted->header.cipher != found->header.cipher ||
            extracted->header.checkValue != found->header.checkValue)
            return "probe and extraction read different headers";
        if (SizeOf(outPath) != extracted->size) return "extraction reports a size the output does not have";
        if (extracted->size > areaBytes * extracted->bitsPerByte / 8) return "extracted more than the carrier holds";
    } else {
        if (!AcceptableReadError(extracted.error().code))
            return "ExtractPayload on a readable file: " + ErrorText(extracted.error());
        if (Exists(outPath)) return "failed extraction left an output file";
    }
    if (auto problem = CheckOnly(scratch, {name, "out.bin"}, "extraction"); !problem.empty()) return problem;

    const std::string exportPath = scratch.File("export.bin");
    const auto exported = ExportPayload(carrier, exportBits, exportPath);
    if (exported) {
        if (SizeOf(exportPath) != *exported) return "export reports a size the output does not have";
        if (*exported > areaBytes * exportBits / 8) return "exported more than the carrier holds";
    } else if (Exists(exportPath)) {
        return "failed export left an output file";
    }
    if (auto problem = CheckOnly(scratch, {name, "out.bin", "export.bin"}, "export"); !problem.empty()) return problem;

    const Bytes after = test::ReadFile(carrierPath);
    if (!std::equal(after.begin(), after.end(), file.begin(), file.end())) return "reading changed the carrier";
    return {};
}

}  // namespace

std::span<const FuzzTarget> AllTargets() {
    static constexpr std::array<FuzzTarget, 7> kTargets = {{
        {"carrier", &FuzzCarrierAnalysis},
        {"extract", &FuzzExtraction},
        {"zlib", &FuzzDecompress},
        {"cipher", &FuzzCipher},
        {"settings", &FuzzSettings},
        {"stealth", &FuzzStealthReader},
        {"png", &FuzzPng},
    }};
    return kTargets;
}

const FuzzTarget* FindTarget(std::string_view name) {
    for (const auto& target : AllTargets())
        if (target.name == name) return &target;
    return nullptr;
}

std::string FuzzCarrierAnalysis(Input input, const ScratchDir& scratch) {
    if (input.empty()) return {};
    const std::string name = kCarrierNames[input[0] % kCarrierNames.size()];
    if (!scratch.Write(name, input.subspan(1))) return "could not write the carrier";
    const std::string path = scratch.File(name);
    std::string problem = CheckCarrierFacts(AnalyseCarrier(path), path);
    scratch.Clear();
    return problem;
}

std::string FuzzExtraction(Input input, const ScratchDir& scratch) {
    if (input.empty()) return {};
    const std::string name = (input[0] & 1) ? "carrier.raw" : "carrier.bmp";
    const int exportBits = kExportBits[(input[0] >> 1) & 3];
    const Input file = input.subspan(1);
    if (!scratch.Write(name, file)) return "could not write the carrier";
    std::string problem = CheckExtraction(scratch, name, file, exportBits);
    scratch.Clear();
    return problem;
}

namespace {

bool AcceptableHideError(ErrorCode code) {
    return code == ErrorCode::CorruptData || code == ErrorCode::PayloadTooLarge || code == ErrorCode::CarrierRefused ||
           code == ErrorCode::ShortColourTable;
}

// A hide into a new file: the carrier stays as it is; the new picture has the carrier's shape
// and gives the data back, or nothing is written at all.
std::string CheckPngHide(const ScratchDir& scratch, Input file) {
    const CarrierAnalysis analysis = AnalyseCarrier(scratch.File("carrier.png"));
    if (!analysis.accepted()) return {};
    const Bytes data = test::RandomBytes(16, 1);
    if (!scratch.Write("data.bin", data)) return "could not write the data";
    const PayloadSource source{
        scratch.File("data.bin"), static_cast<int64_t>(data.size()), false, false, 255, "", "bin"};
    const std::string newPath = scratch.File("new.png");
    const Status hidden = HidePayload(analysis.facts, 1, source, {}, newPath);
    const Bytes after = test::ReadFile(scratch.File("carrier.png"));
    if (!std::equal(after.begin(), after.end(), file.begin(), file.end()))
        return "a hide into a new file changed the carrier";
    if (!hidden) {
        if (!AcceptableHideError(hidden.error().code)) return "HidePayload: " + ErrorText(hidden.error());
        return CheckOnly(scratch, {"carrier.png", "data.bin", "out.bin", "export.bin"}, "a failed hide");
    }
    const CarrierAnalysis result = AnalyseCarrier(newPath);
    if (result.verdict != CarrierVerdict::Png || result.facts.width != analysis.facts.width ||
        result.facts.height != analysis.facts.height || result.facts.bitCount != analysis.facts.bitCount)
        return "the new picture does not have the carrier's shape";
    const auto extracted = ExtractPayload(result.facts, 1, scratch.File("back.bin"));
    if (!extracted || test::ReadFile(scratch.File("back.bin")) != data)
        return "the new picture does not give the data back";
    return {};
}

}  // namespace

std::string FuzzPng(Input input, const ScratchDir& scratch) {
    if (input.empty()) return {};
    const int exportBits = kExportBits[input[0] & 3];
    const Input file = input.subspan(1);
    if (!scratch.Write("carrier.png", file)) return "could not write the carrier";
    std::string problem = CheckExtraction(scratch, "carrier.png", file, exportBits);
    if (problem.empty() && (input[0] & 4)) problem = CheckPngHide(scratch, file);
    scratch.Clear();
    return problem;
}

std::string FuzzDecompress(Input input, const ScratchDir& scratch) {
    if (!scratch.Write("data.z", input)) return "could not write the input";
    const std::string inPath = scratch.File("data.z");
    const std::string outPath = scratch.File("data.out");
    std::string problem;

    clsZlib zlib;
    const Status result = zlib.DecompressFile(inPath, outPath);
    if (!result && result.error().code == ErrorCode::Internal)
        problem = "DecompressFile: " + ErrorText(result.error());
    else if (result && !Exists(outPath))
        problem = "DecompressFile succeeded without an output";
    if (problem.empty()) problem = CheckOnly(scratch, {"data.z", "data.out"}, "DecompressFile");

    if (problem.empty() && input.size() >= 4) {
        const int32_t stated = static_cast<int32_t>(uint32_t{input[0]} | uint32_t{input[1]} << 8 |
                                                    uint32_t{input[2]} << 16 | uint32_t{input[3]} << 24);
        std::vector<uint8_t> data(input.begin() + 4, input.end());
        const Status memoryResult = zlib.DecompressByteArray(data, stated);
        if (!memoryResult && memoryResult.error().code == ErrorCode::Internal)
            problem = "DecompressByteArray: " + ErrorText(memoryResult.error());
    }
    scratch.Clear();
    return problem;
}

std::string FuzzCipher(Input input, const ScratchDir& scratch) {
    if (input.size() < 2) return {};
    const uint8_t cipherIndex = input[0];
    const uint8_t keyMode = input[1];
    Input rest = input.subspan(2);
    std::string key;
    if (keyMode < kRawKeyMode) {
        if (rest.size() < kDigestLength) return {};
        key = MakeKey(Text(rest.first(kDigestLength)));
        rest = rest.subspan(kDigestLength);
        if (key.size() != kMakeKeyLength) return "MakeKey gave " + std::to_string(key.size()) + " characters";
    } else {
        const size_t keyLength = size_t{keyMode} - kRawKeyMode + 1;
        if (rest.size() < keyLength) return {};
        key = Text(rest.first(keyLength));
        rest = rest.subspan(keyLength);
    }

    std::unique_ptr<Cipher> cipher = FuzzCipherFor(cipherIndex);
    if (!cipher) return "no cipher for index " + std::to_string(cipherIndex);
    cipher->SetKey(key);

    const std::vector<uint8_t> original(rest.begin(), rest.end());
    std::vector<uint8_t> decrypted = original;
    const bool sizeHeld = cipher->DecryptByte(decrypted);
    if (!sizeHeld && decrypted.size() != original.size()) return "failed decryption changed the buffer's length";
    if (sizeHeld && decrypted.size() > original.size()) return "decryption made the buffer longer";

    std::vector<uint8_t> roundTrip = original;
    cipher->EncryptByte(roundTrip);
    if (!cipher->DecryptByte(roundTrip) || roundTrip != original)
        return "encrypt then decrypt does not restore the data";

    std::string problem;
    if (!scratch.Write("cipher.in", original)) problem = "could not write the input";
    const std::string outPath = scratch.File("cipher.out");
    if (problem.empty()) {
        const Status status = cipher->DecryptFile(scratch.File("cipher.in"), outPath, true, key);
        if (status && test::ReadFile(outPath) != decrypted) problem = "DecryptFile and DecryptByte disagree";
        if (!status && status.error().code == ErrorCode::Internal)
            problem = "DecryptFile: " + ErrorText(status.error());
    }
    if (problem.empty()) problem = CheckOnly(scratch, {"cipher.in", "cipher.out"}, "DecryptFile");
    scratch.Clear();
    return problem;
}

std::string FuzzSettings(Input input, const ScratchDir& scratch) {
    static constexpr std::array<std::pair<const char*, const char*>, 11> kKeys = {{
        {"Global", "Top"},
        {"Global", "Left"},
        {"Settings", "Compression"},
        {"Settings", "Encryption"},
        {"Settings", "Algorithmus"},
        {"Settings", "BitPerByte"},
        {"Settings", "ShowEndMessage"},
        {"Settings", "ResetOnEnd"},
        {"Settings", "Language"},
        {"Settings", "SendCompress"},
        {"Settings", "SendDelete"},
    }};
    if (!scratch.Write("tarnwerk.ini", input)) return "could not write the settings file";
    const std::string path = scratch.File("tarnwerk.ini");
    std::string problem;

    for (const auto& [section, key] : kKeys)
        if (ReadIniValue(path, section, key, "default").empty()) problem = std::string("empty value for ") + key;

    const StartupSettings loaded = LoadSettings(path, kScreenWidthTwips, kScreenHeightTwips);
    const SettingsRecord& s = loaded.settings;
    if (static_cast<size_t>(s.Algorithmus) >= CipherTable().size()) problem = "cipher index out of range";
    if (s.bitsPerByte != 1 && s.bitsPerByte != 2 && s.bitsPerByte != 4) problem = "bits per byte out of range";
    if (loaded.languageBase != 0 && loaded.languageBase != 2000 && loaded.languageBase != 3000 &&
        loaded.languageBase != 4000)
        problem = "language base " + std::to_string(loaded.languageBase);
    if (loaded.top < 0 || loaded.top > kScreenHeightTwips - kTopMargin || loaded.left < 0 ||
        loaded.left > kScreenWidthTwips - kLeftMargin)
        problem = "window position off the screen";

    // Writing one key keeps every other value.
    if (problem.empty()) {
        const std::string topBefore = ReadIniValue(path, "Global", "Top", "none");
        if (!WriteIniValue(path, "Settings", "Language", "2"))
            problem = "writing a key to a writable file failed";
        else if (ReadIniValue(path, "Settings", "Language", "none") != "2")
            problem = "a written value does not read back";
        else if (ReadIniValue(path, "Global", "Top", "none") != topBefore)
            problem = "writing one key changed another";
    }
    scratch.Clear();
    return problem;
}

Bytes CarrierInput(CarrierName name, const Bytes& file) {
    Bytes input{static_cast<uint8_t>(name)};
    input.insert(input.end(), file.begin(), file.end());
    return input;
}

Bytes ExtractionInput(bool raw, int exportBits, const Bytes& file) {
    const int bitsIndex = exportBits == 1 ? 0 : exportBits == 2 ? 1 : 2;
    Bytes input{static_cast<uint8_t>((raw ? 1 : 0) | bitsIndex << 1)};
    input.insert(input.end(), file.begin(), file.end());
    return input;
}

Bytes PngInput(int exportBits, bool hide, const Bytes& file) {
    const int bitsIndex = exportBits == 1 ? 0 : exportBits == 2 ? 1 : 2;
    Bytes input{static_cast<uint8_t>(bitsIndex | (hide ? 4 : 0))};
    input.insert(input.end(), file.begin(), file.end());
    return input;
}

std::unique_ptr<Cipher> FuzzCipherFor(uint8_t cipherIndex) {
    if (cipherIndex == static_cast<uint8_t>(CipherIndex::XChaCha20))
        return std::make_unique<clsXChaCha20>(kFuzzArgon2Limits);
    return CreateCipher(cipherIndex);
}

Bytes CipherInputWithDigest(uint8_t cipher, const std::string& digest16, const Bytes& encrypted) {
    // Built by appending: an initialiser list here trips a false -Warray-bounds in GCC 12.
    Bytes input;
    input.reserve(2 + digest16.size() + encrypted.size());
    input.push_back(cipher);
    input.push_back(kDigestKeyMode);
    input.insert(input.end(), digest16.begin(), digest16.end());
    input.insert(input.end(), encrypted.begin(), encrypted.end());
    return input;
}

}  // namespace tarnwerk::fuzz
