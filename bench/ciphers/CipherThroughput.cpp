// Encrypts and decrypts 64 MiB with each stored-format cipher, ours (the whole envelope the
// product runs: header, CBC, padding) against Crypto++'s CBC mode of the same cipher (RC4: the
// plain stream), and prints one JSON line per cipher and direction with the median throughputs
// of five runs and their ratio. bench/run reads the lines.
//   tarnwerk-ciphers [MIB RUNS]     defaults 64 and 5; a smoke run passes small ones
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/arc4.h>
#include <cryptopp/blowfish.h>
#include <cryptopp/modes.h>
#include <cryptopp/skipjack.h>
#include <cryptopp/tea.h>
#include <cryptopp/twofish.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/PayloadFormat.h"
#include "crypto/Cipher.h"

namespace {

using Bytes = std::vector<uint8_t>;
using tarnwerk::CipherIndex;

constexpr std::size_t kDefaultMib = 64;
constexpr int kDefaultRuns = 5;
constexpr double kMiB = 1024.0 * 1024.0;

struct Sizes {
    std::size_t bytes = kDefaultMib << 20;
    int runs = kDefaultRuns;
};

// Median MiB/s of `work`, with `prepare` (not timed) run before every run.
double MedianMibs(const Sizes& sizes, const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> rates;
    for (int run = 0; run < sizes.runs; ++run) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        rates.push_back(static_cast<double>(sizes.bytes) / kMiB / elapsed.count());
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

void Print(const char* cipher, const char* op, double ours, double theirs) {
    std::printf("{\"cipher\": \"%s\", \"op\": \"%s\", \"ours_mibs\": %.1f, \"cryptopp_mibs\": %.1f, \"ratio\": %.3f}\n",
                cipher, op, ours, theirs, ours / theirs);
    std::fflush(stdout);
}

struct Fixture {
    Sizes sizes;
    Bytes plain = Bytes(sizes.bytes);
    Bytes work;
    Bytes output = Bytes(sizes.bytes);
    std::string key;  // the product's 256-character key string
    Bytes oracleKey;

    explicit Fixture(Sizes chosen) : sizes(chosen) {
        std::mt19937 random(20261207);
        for (auto& b : plain) b = static_cast<uint8_t>(random());
        key = tarnwerk::MakeKey("Bench-Passphrase");
        oracleKey.assign(key.begin(), key.end());
    }
};

// One block cipher: our envelope against Crypto++'s CBC mode with an all-zero IV.
template <class Oracle>
void MeasureBlockCipher(Fixture& f, CipherIndex index, const char* name, std::size_t oracleKeyBytes) {
    auto ours = tarnwerk::CreateCipher(static_cast<uint8_t>(index));
    ours->SetKey(f.key);
    const double ourEncrypt = MedianMibs(
        f.sizes, [&] { f.work = f.plain; }, [&] { ours->EncryptByte(f.work); });
    Bytes sealed = f.work;
    const double ourDecrypt = MedianMibs(
        f.sizes, [&] { f.work = sealed; },
        [&] {
            if (!ours->DecryptByte(f.work)) std::fprintf(stderr, "%s: our envelope did not open\n", name);
        });

    const uint8_t iv[Oracle::BLOCKSIZE] = {};
    typename CryptoPP::CBC_Mode<Oracle>::Encryption encrypt(f.oracleKey.data(), oracleKeyBytes, iv);
    typename CryptoPP::CBC_Mode<Oracle>::Decryption decrypt(f.oracleKey.data(), oracleKeyBytes, iv);
    const double theirEncrypt = MedianMibs(
        f.sizes, [&] { encrypt.Resynchronize(iv); },
        [&] { encrypt.ProcessData(f.output.data(), f.plain.data(), f.sizes.bytes); });
    const Bytes theirSealed = f.output;
    const double theirDecrypt = MedianMibs(
        f.sizes, [&] { decrypt.Resynchronize(iv); },
        [&] { decrypt.ProcessData(f.output.data(), theirSealed.data(), f.sizes.bytes); });
    Print(name, "encrypt", ourEncrypt, theirEncrypt);
    Print(name, "decrypt", ourDecrypt, theirDecrypt);
}

void MeasureRc4(Fixture& f) {
    auto ours = tarnwerk::CreateCipher(static_cast<uint8_t>(CipherIndex::RC4));
    const double ourRate = MedianMibs(
        f.sizes, [&] { f.work = f.plain; }, [&] { ours->EncryptByte(f.work, f.key); });
    const double theirRate = MedianMibs(
        f.sizes, [] {},
        [&] {
            CryptoPP::Weak::ARC4 oracle(f.oracleKey.data(), f.oracleKey.size());
            oracle.ProcessData(f.output.data(), f.plain.data(), f.sizes.bytes);
        });
    // RC4 is its own inverse: one direction says it all.
    Print("RC4", "encrypt", ourRate, theirRate);
}

}  // namespace

int main(int argc, char** argv) {
    Sizes sizes;
    if (argc == 3) {
        sizes.bytes = static_cast<std::size_t>(std::max(1, std::atoi(argv[1]))) << 20;
        sizes.runs = std::max(1, std::atoi(argv[2]));
    }
    Fixture f(sizes);
    MeasureBlockCipher<CryptoPP::Blowfish>(f, CipherIndex::Blowfish, "Blowfish", 56);
    MeasureBlockCipher<CryptoPP::Twofish>(f, CipherIndex::Twofish, "Twofish", 32);
    MeasureBlockCipher<CryptoPP::TEA>(f, CipherIndex::TEA, "TEA", 16);
    MeasureBlockCipher<CryptoPP::SKIPJACK>(f, CipherIndex::Skipjack, "Skipjack", 10);
    MeasureRc4(f);
    return 0;
}
