#include "fuzz/SeedCorpus.h"

#include <sys/stat.h>

#include <cstdio>
#include <exception>
#include <string>
#include <tuple>
#include <vector>

#include "base/Helpers.h"
#include "compression/clsZlib.h"
#include "config/Settings.h"
#include "core/StealthHide.h"
#include "crypto/Cipher.h"
#include "crypto/CipherTable.h"
#include "crypto/clsMD5.h"
#include "fuzz/FuzzEntries.h"
#include "support/TestCarriers.h"
#include "support/TestPng.h"

namespace tarnwerk::fuzz {

namespace {

constexpr int kSeedWidth = 32;
constexpr int kSeedHeight = 24;
constexpr int16_t kCompressionLevel = 9;

class SeedWriter {
public:
    explicit SeedWriter(std::string folder) : folder_(std::move(folder)) { ::mkdir(folder_.c_str(), 0755); }

    bool Add(const std::string& target, const Bytes& seed) {
        const std::string dir = folder_ + "/corpus-" + target;
        ::mkdir(dir.c_str(), 0755);
        char name[32];
        std::snprintf(name, sizeof(name), "/seed-%03d", count_++);
        try {
            test::WriteFile(dir + name, seed);
            return true;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            ok_ = false;
            return false;
        }
    }
    bool ok() const { return ok_; }

private:
    std::string folder_;
    int count_ = 0;
    bool ok_ = true;
};

// Every stored index of the cipher table; indexes beyond it fall back to Blowfish.
uint8_t CipherCount() { return static_cast<uint8_t>(CipherTable().size()); }

std::string Digest16(const std::string& passphrase) { return HexToBin(clsMD5().DigestStrToHexStr(passphrase)); }

Bytes Compressed(const Bytes& plain) {
    clsZlib zlib;
    std::vector<uint8_t> data = plain;
    if (!zlib.CompressByteArray(data, kCompressionLevel)) return {};
    Bytes file(4);
    test::PutLe32(file, 0, static_cast<int32_t>(plain.size()));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

Bytes Encrypted(uint8_t cipherIndex, const std::string& digest16, const Bytes& plain) {
    auto cipher = FuzzCipherFor(cipherIndex);
    std::vector<uint8_t> data = plain;
    cipher->EncryptByte(data, MakeKey(digest16));
    return data;
}

Bytes WithStream(Bytes carrier, size_t areaOffset, const Bytes& stream, int bits) {
    EmbedStream(carrier, areaOffset, stream, bits);
    return carrier;
}

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Bitmap(int32_t width, int32_t height, int bitCount, uint32_t seed = 1) {
    return test::BitmapBytes(width, height, bitCount, false, seed);
}

Bytes Patched(Bytes bytes, size_t offset, int32_t value) {
    test::PutLe32(bytes, offset, value);
    return bytes;
}

void CarrierSeeds(SeedWriter& out) {
    out.Add("carrier", CarrierInput(CarrierName::Bmp, Bitmap(kSeedWidth, kSeedHeight, 24)));
    out.Add("carrier", CarrierInput(CarrierName::Dib, Bitmap(kSeedWidth, kSeedHeight, 8)));
    out.Add("carrier", CarrierInput(CarrierName::UpperBmp, test::BitmapBytes(3, 5, 24, true, 2)));
    out.Add("carrier", CarrierInput(CarrierName::Raw, test::RandomBytes(1000, 7)));
    out.Add("carrier", CarrierInput(CarrierName::Bmp, Bitmap(8, 8, 32)));
    out.Add("carrier", CarrierInput(CarrierName::Bmp, Bitmap(8, 8, 4)));
    out.Add("carrier", CarrierInput(CarrierName::Bmp, Patched(Bitmap(8, 8, 8), test::bmp::kCompression, 1)));
    out.Add("carrier",
            CarrierInput(CarrierName::Bmp, Patched(Bitmap(kSeedWidth, kSeedHeight, 24), test::bmp::kImageSize, 0)));
    Bytes cut = Bitmap(4, 4, 24);
    cut.resize(30);
    out.Add("carrier", CarrierInput(CarrierName::Bmp, cut));
}

void ExtractionSeeds(SeedWriter& out) {
    const Bytes plain = TextBytes("Tarnwerk hides a file inside a picture and gets it back out.\n");
    const std::string digest = Digest16("correct horse");
    for (const int bits : {1, 2, 4}) {
        const Bytes bmp24 = Bitmap(kSeedWidth, kSeedHeight, 24, static_cast<uint32_t>(bits));
        const Bytes bmp8 = Bitmap(kSeedWidth, kSeedHeight, 8, static_cast<uint32_t>(bits));
        const size_t offset24 = test::kBmpHeaders;
        const size_t offset8 = test::kBmpHeaders + test::kPaletteBytes8;

        StreamParts parts;
        parts.data = plain;
        out.Add("extract", ExtractionInput(false, bits, WithStream(bmp24, offset24, BuildStream(parts), bits)));
        parts.flags = kCompressedFlag;
        parts.data = Compressed(plain);
        out.Add("extract", ExtractionInput(false, bits, WithStream(bmp8, offset8, BuildStream(parts), bits)));
        out.Add("extract",
                ExtractionInput(true, bits, WithStream(test::RandomBytes(4000, 3), 0, BuildStream(parts), bits)));

        for (uint8_t cipher = 0; cipher < CipherCount(); ++cipher) {
            StreamParts secret;
            secret.flags = static_cast<uint8_t>(kEncryptedFlag | (cipher % 2 ? kCompressedFlag : 0));
            secret.cipher = cipher;
            secret.checkValue = digest;
            secret.extension = "document";
            secret.data = Encrypted(cipher, digest, cipher % 2 ? Compressed(plain) : plain);
            out.Add("extract", ExtractionInput(false, bits, WithStream(bmp24, offset24, BuildStream(secret), bits)));
        }

        StreamParts broken;
        broken.data = plain;
        broken.endMarker = false;  // an interrupted hide
        out.Add("extract", ExtractionInput(false, bits, WithStream(bmp24, offset24, BuildStream(broken), bits)));
        Bytes cutAfterFlags = BuildStream(parts);
        cutAfterFlags.resize(9);
        out.Add("extract", ExtractionInput(true, bits, WithStream(test::RandomBytes(72, 9), 0, cutAfterFlags, bits)));
    }
}

void CompressionSeeds(SeedWriter& out) {
    out.Add("zlib", Compressed(TextBytes("a short text that zlib can squeeze a little, a little, a little")));
    out.Add("zlib", Compressed(Bytes(1000, 0)));
    out.Add("zlib", Compressed(test::RandomBytes(700, 11)));
    out.Add("zlib", Compressed(Bytes{}));
    Bytes lying = Compressed(Bytes(1000, 'x'));
    test::PutLe32(lying, 0, 100);  // claims less than it holds
    out.Add("zlib", lying);
}

// Every accepted colour type and depth, interlaced or not (hiding into half of them), and a
// grey picture holding a stream at 1 bit between ancillary chunks, in several IDAT chunks.
void PngSeeds(SeedWriter& out) {
    namespace png = test::png;
    const std::vector<png::Chunk> palette = {{"PLTE", test::RandomBytes(768, 2)}};
    for (const int type : {0, 2, 3, 4, 6}) {
        for (const int depth : {8, 16}) {
            if (type == 3 && depth == 16) continue;
            const auto picture = png::RandomPicture(9, 7, static_cast<uint8_t>(type), static_cast<uint8_t>(depth),
                                                    depth == 16, static_cast<uint32_t>(type + depth));
            const auto before = type == 3 ? palette : std::vector<png::Chunk>{};
            out.Add("png", PngInput(2, type % 2 == 0, png::Encode(picture, before)));
        }
    }
    auto grey = png::RandomPicture(40, 30, 0, 8, false, 5);
    const StreamParts parts{.flags = 0, .cipher = 255, .checkValue = "", .data = TextBytes("hidden in a PNG")};
    grey.samples = WithStream(grey.samples, 0, BuildStream(parts), 1);
    const std::vector<png::Chunk> before = {{"gAMA", {0, 0, 0xB1, 0x8F}}, {"tEXt", TextBytes("Title x")}};
    out.Add("png", PngInput(1, true, png::Encode(grey, before, {{"zTXt", TextBytes("k  z")}}, 100)));
}

void CipherSeeds(SeedWriter& out) {
    const std::string digest = Digest16("passphrase");
    for (const size_t size : {size_t{0}, size_t{5}, size_t{40}}) {
        const Bytes plain = test::RandomBytes(size, static_cast<uint32_t>(size));
        for (uint8_t cipher = 0; cipher < CipherCount(); ++cipher)
            out.Add("cipher", CipherInputWithDigest(cipher, digest, Encrypted(cipher, digest, plain)));
        out.Add("cipher", CipherInputWithDigest(200, digest, Encrypted(200, digest, plain)));
    }
}

void SettingsSeeds(SeedWriter& out, const std::string& folder) {
    const std::string path = folder + "/seed.ini";
    std::remove(path.c_str());
    SettingsRecord record;
    record.Algorithmus = CipherIndex::TEA;
    record.Language = 1;
    if (SaveSettings(path, record) && WriteIniValue(path, "Global", "Top", "1440") &&
        WriteIniValue(path, "Global", "Left", "-90")) {
        try {
            out.Add("settings", test::ReadFile(path));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "no settings seed: %s\n", error.what());
        }
    }
    std::remove(path.c_str());
    out.Add("settings", TextBytes("[Settings]\r\nCompression=00\r\nAlgorithmus=4.4\r\nBitPerByte=1.5\r\n"
                                  "Language=1.0\r\n[Global]\r\nTop=1e3\r\nLeft=x\r\n"));
    out.Add("settings",
            TextBytes("; comment\n[settings]\nENCRYPTION = 0\nLanguage=300\n\n[Global]\nTop=99999999999\n"));
}

}  // namespace

// Planes with data hidden under the stealth target's fixed keys, grey and colour, plus a clean one.
void StealthSeeds(SeedWriter& out) {
    for (const auto& [channels, width, height] : {std::tuple{3, 120, 60}, std::tuple{1, 150, 150}}) {
        SamplePlane plane = MakeSamplePlane(width, height, channels, 255);
        const Bytes noise = test::RandomBytes(plane.Count(), static_cast<uint32_t>(channels));
        std::copy(noise.begin(), noise.end(), plane.samples.begin());
        out.Add("stealth", StealthReaderInput(plane));
        StealthPayload payload;
        payload.compressed = channels == 1;
        payload.extension = "txt";
        payload.data = TextBytes("Tarnwerk hides a file inside a picture and gets it back out.\n");
        if (HideStealthWithKeys(plane, StealthSalt{}, FuzzStealthKeys(), payload))
            out.Add("stealth", StealthReaderInput(plane));
    }
}

bool WriteSeedCorpus(const std::string& folder) {
    SeedWriter out(folder);
    CarrierSeeds(out);
    ExtractionSeeds(out);
    CompressionSeeds(out);
    CipherSeeds(out);
    PngSeeds(out);
    SettingsSeeds(out, folder);
    StealthSeeds(out);
    return out.ok();
}

}  // namespace tarnwerk::fuzz
