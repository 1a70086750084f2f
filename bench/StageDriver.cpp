// Times the stages of the hide and extract roads through the libraries, and the gaps between
// the engine's progress callbacks. Prints one "name value" line per measurement; bench/run
// takes the medians.
//
//   tarnwerk-benchstages stages CARRIER DATA BITS RUNS WORKDIR
//       compress (level 9), RC4 encrypt, embed; extract, RC4 decrypt, decompress (seconds)
//   tarnwerk-benchstages gaps CARRIER DATA BITS WORKDIR
//       plain hide, extract to a new file and extract over that file again; longest gap
//       between progress callbacks (milliseconds), counting from the call to the first
//       callback and from the last callback to the return
//   tarnwerk-benchstages xchacha MIB RUNS
//       XChaCha20-Poly1305: the Argon2id key derivation with the stored parameters (seconds),
//       then sealing and opening MIB MiB in memory with the key derived (MiB/s), beside RC4's
//       EncryptByte on the same buffer as the baseline of the same run
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/Helpers.h"
#include "base/Result.h"
#include "compression/clsZlib.h"
#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "crypto/Cipher.h"
#include "crypto/clsMD5.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int16_t kCompressionLevel = 9;
constexpr uint8_t kRc4 = 1;
constexpr const char* kPassphrase = "correct horse battery staple";

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Runs work, prints its time under name; false (and a message) when it failed.
bool Timed(const std::string& name, const std::function<bool()>& work) {
    const auto start = Clock::now();
    const bool done = work();
    const double seconds = Seconds(start);
    if (!done) {
        std::cerr << "tarnwerk-benchstages: " << name << " failed\n";
        return false;
    }
    std::cout << name << ' ' << seconds << '\n';
    return true;
}

bool Report(const Status& status) {
    if (!status)
        std::cerr << "  (error " << static_cast<int>(status.error().code) << " " << status.error().path << ")\n";
    return static_cast<bool>(status);
}

bool SameFiles(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    return fa && fb && std::equal(std::istreambuf_iterator<char>(fa), {}, std::istreambuf_iterator<char>(fb), {});
}

std::optional<CarrierFacts> Load(const std::string& path) {
    const CarrierAnalysis analysis = AnalyseCarrier(path);
    if (!analysis.accepted()) {
        std::cerr << "tarnwerk-benchstages: " << path << " is not a carrier\n";
        return std::nullopt;
    }
    return analysis.facts;
}

PayloadSource Source(const std::string& path, bool compressed, bool encrypted, const std::string& check) {
    PayloadSource source;
    source.path = path;
    source.size = static_cast<int64_t>(std::filesystem::file_size(path));
    source.compressed = compressed;
    source.encrypted = encrypted;
    source.cipher = encrypted ? kRc4 : 255;
    source.checkValue = check;
    source.extension = "dat";
    return source;
}

// One pass of the whole road, each stage timed on its own.
bool StagesOnce(const CarrierFacts& facts, const std::string& data, int bits, const std::filesystem::path& dir) {
    clsMD5 md5;
    const std::string digest = HexToBin(md5.DigestStrToHexStr(kPassphrase));
    const std::string key = MakeKey(digest);
    const std::string packed = dir / "data.tmp", sealed = dir / "data.tmp1";
    const std::string out = dir / "out", opened = dir / "out.tmp", plain = dir / "out.plain";
    clsZlib zlib;
    return Timed("compress", [&] { return zlib.CompressFile(data, packed, kCompressionLevel).ok(); }) &&
           Timed("encrypt", [&] { return Report(CreateCipher(kRc4)->EncryptFile(packed, sealed, true, key)); }) &&
           Timed("embed", [&] { return Report(HidePayload(facts, bits, Source(sealed, true, true, digest))); }) &&
           Timed("extract",
                 [&] {
                     auto extracted = ExtractPayload(facts, bits, out);
                     if (!extracted) std::cerr << "  (error " << static_cast<int>(extracted.error().code) << ")\n";
                     return static_cast<bool>(extracted);
                 }) &&
           Timed("decrypt", [&] { return Report(CreateCipher(kRc4)->DecryptFile(out, opened, true, key)); }) &&
           Timed("decompress", [&] { return zlib.DecompressFile(opened, plain).ok(); }) &&
           (SameFiles(data, plain) || (std::cerr << "tarnwerk-benchstages: round trip differs\n", false));
}

// Gaps between progress callbacks, including the ends of the call.
struct GapRecorder {
    Clock::time_point last = Clock::now();
    double longestMs = 0;
    double firstMs = -1;
    long callbacks = 0;

    void Tick() {
        const auto now = Clock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - last).count();
        if (firstMs < 0) firstMs = gap;
        longestMs = std::max(longestMs, gap);
        last = now;
        ++callbacks;
    }
    void Print(const std::string& name) {
        const double tailMs = std::chrono::duration<double, std::milli>(Clock::now() - last).count();
        longestMs = std::max(longestMs, tailMs);
        std::cout << name << "_gap_ms " << longestMs << '\n'
                  << name << "_first_ms " << firstMs << '\n'
                  << name << "_last_ms " << tailMs << '\n'
                  << name << "_callbacks " << callbacks << '\n';
    }
};

bool Gaps(const CarrierFacts& facts, const std::string& data, int bits, const std::filesystem::path& dir) {
    GapRecorder hide;
    const Status hidden = HidePayload(facts, bits, Source(data, false, false, ""), [&](int) { hide.Tick(); });
    hide.Print("hide");
    if (!Report(hidden)) return false;
    // First into a new file, then once more over it: replacing a large file frees the old
    // one's blocks inside the final rename, which the caller waits for.
    const std::filesystem::path out = dir / "out";
    std::filesystem::remove(out);
    for (const char* name : {"extract", "replace"}) {
        GapRecorder extract;
        const auto extracted = ExtractPayload(facts, bits, out, [&](int) { extract.Tick(); });
        extract.Print(name);
        if (!extracted) {
            std::cerr << "  (error " << static_cast<int>(extracted.error().code) << ")\n";
            return false;
        }
    }
    return SameFiles(data, out);
}

double MibPerSecond(size_t bytes, double seconds) { return static_cast<double>(bytes) / double(1 << 20) / seconds; }

// Key derivation on its own (one byte sealed by a fresh object), then the cipher with the key
// kept, so the two costs show apart.
bool XChaCha(size_t mib, int runs) {
    std::vector<uint8_t> buffer(mib << 20);
    for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 131u + (i >> 12));
    const std::vector<uint8_t> original = buffer;
    for (int run = 0; run < runs; ++run) {
        clsXChaCha20 cipher;
        cipher.SetAssociatedData("bench header");
        std::vector<uint8_t> one{42};
        auto start = Clock::now();
        if (!Report(cipher.Encrypt(one, kPassphrase))) return false;
        std::cout << "xchacha_derive_s " << Seconds(start) << '\n';

        start = Clock::now();
        if (!Report(cipher.Encrypt(buffer))) return false;
        std::cout << "xchacha_encrypt_mibs " << MibPerSecond(original.size(), Seconds(start)) << '\n';
        start = Clock::now();
        if (!Report(cipher.Decrypt(buffer))) return false;
        std::cout << "xchacha_decrypt_mibs " << MibPerSecond(original.size(), Seconds(start)) << '\n';
        if (buffer != original) {
            std::cerr << "tarnwerk-benchstages: XChaCha20 round trip differs\n";
            return false;
        }

        auto rc4 = CreateCipher(kRc4);
        rc4->SetKey(MakeKey(HexToBin(clsMD5().DigestStrToHexStr(kPassphrase))));
        start = Clock::now();
        rc4->EncryptByte(buffer);
        std::cout << "rc4_encrypt_mibs " << MibPerSecond(original.size(), Seconds(start)) << '\n';
        rc4->EncryptByte(buffer);  // the same key stream again gives the data back
        if (buffer != original) {
            std::cerr << "tarnwerk-benchstages: RC4 round trip differs\n";
            return false;
        }
    }
    return true;
}

int Usage() {
    std::cerr << "usage: tarnwerk-benchstages stages CARRIER DATA BITS RUNS WORKDIR\n"
                 "       tarnwerk-benchstages gaps CARRIER DATA BITS WORKDIR\n"
                 "       tarnwerk-benchstages xchacha MIB RUNS\n";
    return 2;
}

int Main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    if (mode == "xchacha" && argc == 4)
        return XChaCha(static_cast<size_t>(std::max(1, std::atoi(argv[2]))), std::max(1, std::atoi(argv[3]))) ? 0 : 1;
    const bool stages = mode == "stages" && argc == 7;
    if (!stages && !(mode == "gaps" && argc == 6)) return Usage();
    const auto facts = Load(argv[2]);
    if (!facts) return 1;
    const std::string data = argv[3];
    const int bits = std::atoi(argv[4]);
    const std::filesystem::path dir = argv[argc - 1];
    if (!stages) return Gaps(*facts, data, bits, dir) ? 0 : 1;
    const int runs = std::max(1, std::atoi(argv[5]));
    for (int run = 0; run < runs; ++run)
        if (!StagesOnce(*facts, data, bits, dir)) return 1;
    return 0;
}

}  // namespace
}  // namespace tarnwerk

int main(int argc, char** argv) { return tarnwerk::Main(argc, argv); }
