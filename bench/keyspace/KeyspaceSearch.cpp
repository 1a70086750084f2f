// Recovers data hidden with the default settings (RC4, compression, 2 bits per byte) without
// its passphrase. The stored key derivation seeds its generator with length + sum of
// byte * position over the 16 digest bytes, a number between 16 and 34,696; the key depends
// on nothing else (MakeKeyFromSeed). So every seed is tried, and a decryption whose result
// decompresses is the data. Usage: tarnwerk-keyspace [passphrase] [data bytes]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/UseCases.h"
#include "base/Helpers.h"
#include "compression/clsZlib.h"
#include "config/Strings.h"
#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "crypto/Cipher.h"
#include "crypto/clsMD5.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

constexpr int32_t kFirstSeed = 16;    // 16 digest bytes, all 0
constexpr int32_t kLastSeed = 34696;  // 16 + 255 * (1 + ... + 16)
constexpr size_t kSizeField = 4;
constexpr uint8_t kZlibFirstByte = 0x78;  // deflate, 32 KiB window: every compress2 stream
constexpr int64_t kMaxExpansion = 1032;   // deflate's largest ratio
constexpr size_t kDefaultDataSize = 64 * 1024;

// Answers the passphrase question; the hide needs nothing else from a user.
class PassphraseUi : public Prompter, public ProgressSink {
public:
    explicit PassphraseUi(std::string passphrase) : passphrase_(std::move(passphrase)) {}
    bool Confirm(Question) override { return false; }
    std::optional<std::string> AskNewPassphrase() override { return passphrase_; }
    std::optional<std::string> AskPassphrase() override { return passphrase_; }
    std::string ChooseOutputFile(const OutputChoice&) override { return {}; }
    void SetProgress(int) override {}
    void SetStatus(TextId) override {}
    void SetBusy(bool) override {}
    void SetCancellable(bool) override {}
    bool CancelRequested() const override { return false; }

private:
    std::string passphrase_;
};

int32_t SeedOf(const std::string& digest) {
    int32_t seed = static_cast<int32_t>(digest.size());
    for (size_t i = 0; i < digest.size(); ++i) seed += static_cast<uint8_t>(digest[i]) * static_cast<int32_t>(i + 1);
    return seed;
}

test::Bytes SampleText(size_t size) {
    static const std::string kWords[] = {"carrier ", "picture ", "hidden ", "bits ", "letter ", "meeting ",
                                         "Tuesday ", "station ", "north ",  "gate ", "\n"};
    test::Bytes text;
    const test::Bytes noise = test::RandomBytes(size, 42);
    for (size_t i = 0; text.size() < size; ++i) {
        const std::string& word = kWords[noise[i % noise.size()] % std::size(kWords)];
        text.insert(text.end(), word.begin(), word.end());
    }
    text.resize(size);
    return text;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The decrypted payload is a compressed file: size field, then a zlib stream that inflates.
std::optional<std::vector<uint8_t>> Decompressed(const std::vector<uint8_t>& plain) {
    const int32_t claimed = static_cast<int32_t>(uint32_t{plain[0]} | uint32_t{plain[1]} << 8 |
                                                 uint32_t{plain[2]} << 16 | uint32_t{plain[3]} << 24);
    if (claimed < 0 || claimed > static_cast<int64_t>(plain.size()) * kMaxExpansion) return std::nullopt;
    std::vector<uint8_t> data(plain.begin() + kSizeField, plain.end());
    clsZlib zlib;
    if (!zlib.DecompressByteArray(data, claimed)) return std::nullopt;
    return data;
}

int Run(const std::string& passphrase, size_t dataSize) {
    const test::TempDir dir;
    const std::string carrierPath = dir.File("holiday.bmp");
    const std::string dataPath = dir.File("letter.txt");
    test::MakeBitmap(carrierPath, 640, 480, 24, false, 1);
    const test::Bytes original = SampleText(dataSize);
    test::WriteFile(dataPath, original);

    // Hidden the way a user does it, with the default settings.
    HideRequest request;
    request.carrier = AnalyseCarrier(carrierPath).facts;
    request.dataPath = dataPath;
    request.extension = "txt";
    request.options = PayloadOptions{};
    PassphraseUi ui(passphrase);
    const HideOutcome hidden = Hide(request, ui, ui);
    if (!hidden.ok()) {
        for (const Notice& notice : hidden.notices)
            std::fprintf(stderr, "%s\n", RenderNotice(kLanguageBaseEnglish, notice).text.c_str());
        std::fprintf(stderr, "hiding failed\n");
        return 1;
    }

    // The attacker has the carrier and this program, not the passphrase.
    const auto start = std::chrono::steady_clock::now();
    const CarrierAnalysis carrier = AnalyseCarrier(carrierPath);
    const std::string storedPath = dir.File("stored.bin");
    const auto extracted = ExtractPayload(carrier.facts, 2, storedPath);
    if (!extracted || !extracted->header.encrypted() || extracted->header.cipher != 1) {
        std::fprintf(stderr, "no RC4 payload found\n");
        return 1;
    }
    const test::Bytes stored = test::ReadFile(storedPath);
    std::unique_ptr<Cipher> rc4 = CreateCipher(extracted->header.cipher);

    int32_t found = -1;
    int candidates = 0;
    double foundAfter = 0;
    for (int32_t seed = kFirstSeed; seed <= kLastSeed; ++seed) {
        rc4->SetKey(MakeKeyFromSeed(seed));
        std::vector<uint8_t> head(stored.begin(), stored.begin() + kSizeField + 1);
        rc4->DecryptByte(head);
        if (head[kSizeField] != kZlibFirstByte) continue;
        ++candidates;
        std::vector<uint8_t> plain = stored;
        rc4->DecryptByte(plain);
        const auto data = Decompressed(plain);
        if (!data || *data != original) continue;
        if (found < 0) foundAfter = Seconds(start);
        found = seed;
    }
    const double total = Seconds(start);
    const std::string digest = HexToBin(clsMD5().DigestStrToHexStr(passphrase));
    const int32_t expected = SeedOf(digest);
    if (MakeKeyFromSeed(expected) != MakeKey(digest)) {
        std::fprintf(stderr, "MakeKeyFromSeed disagrees with MakeKey\n");
        return 1;
    }

    std::printf("payload: %zu data bytes hidden as %zu stored bytes (RC4, compressed, 2 bits)\n", original.size(),
                stored.size());
    std::printf("seeds tried: %d (%d..%d), %d passed the zlib-header filter\n", kLastSeed - kFirstSeed + 1, kFirstSeed,
                kLastSeed, candidates);
    std::printf("matching seed: %d (the passphrase's seed: %d)\n", found, expected);
    std::printf("data recovered without the passphrase after %.2f s; whole key space %.2f s (%.1f us per key)\n",
                foundAfter, total, total * 1e6 / (kLastSeed - kFirstSeed + 1));
    return found == expected ? 0 : 1;
}

}  // namespace
}  // namespace tarnwerk

int main(int argc, char** argv) {
    const std::string passphrase = argc > 1 ? argv[1] : "Gr8-Secret!Tuesday@North-Gate";
    const size_t size = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : tarnwerk::kDefaultDataSize;
    return tarnwerk::Run(passphrase, size);
}
