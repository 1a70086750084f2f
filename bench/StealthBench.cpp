// tarnwerk-stealth-bench: the stealth engine on PGM/PPM files for the detectability harness,
// and its speed on a large synthetic photograph.
//
//   tarnwerk-stealth-bench embed IN OUT (--rate R | --bits B) --seed S [--height H]
//   tarnwerk-stealth-bench extract IN --seed S
//   tarnwerk-stealth-bench speed --width W --height H --rate R [--file FOLDER]
//
// embed and extract take their keys from the seed (no Argon2id); speed uses the real one and
// reports the key derivation's own time beside the hide's and the extract's, which include it.
// Each prints one JSON line. The simulator is the payload-limited optimal embedding simulator
// (T. Filler, J. Fridrich, "Gibbs construction in steganography", IEEE TIFS 5(4), 2010): sample
// i changes with probability p_i = e^(-l rho_i) / (1 + e^(-l rho_i)), l chosen so that the
// binary entropies of the p_i add up to the message bits; its expected distortion is sum p_i rho_i.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "core/StealthCosts.h"
#include "core/StealthExtract.h"
#include "core/StealthHide.h"

using namespace tarnwerk;

namespace {

constexpr std::string_view kBenchLabel = "tarnwerk stealth bench";
constexpr int kLambdaSteps = 48;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "tarnwerk-stealth-bench: %s\n", why.c_str());
    std::exit(2);
}

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

std::map<std::string, std::string> Options(int argc, char** argv, int first) {
    std::map<std::string, std::string> options;
    for (int i = first; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    return options;
}

double Number(const std::map<std::string, std::string>& options, const std::string& name, double fallback) {
    const auto found = options.find(name);
    if (found == options.end()) return fallback;
    return std::strtod(found->second.c_str(), nullptr);
}

// Binary PGM (P5, grey) or PPM (P6, colour), 8 bits per sample.
SamplePlane ReadNetpbm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (!in || (magic != "P5" && magic != "P6") || maxValue != 255 || width < 1 || height < 1)
        Fail("not an 8-bit binary PGM/PPM: " + path);
    const int channels = magic == "P5" ? 1 : 3;
    SamplePlane plane = MakeSamplePlane(width, height, channels, 255);
    std::vector<uint8_t> bytes(plane.Count());
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        Fail("short file: " + path);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < channels; ++c) plane.At(c, y, x) = bytes[(size_t(y) * width + x) * channels + c];
    return plane;
}

void WriteNetpbm(const SamplePlane& plane, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << (plane.channels == 1 ? "P5" : "P6") << "\n" << plane.width << " " << plane.height << "\n255\n";
    std::vector<uint8_t> bytes(plane.Count());
    for (int32_t y = 0; y < plane.height; ++y)
        for (int32_t x = 0; x < plane.width; ++x)
            for (int32_t c = 0; c < plane.channels; ++c)
                bytes[(size_t(y) * plane.width + x) * plane.channels + c] = static_cast<uint8_t>(plane.At(c, y, x));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) Fail("cannot write " + path);
}

StealthKeys SeedKeys(uint64_t seed) { return StealthKeysFromMaster(PublicStealthKey(kBenchLabel, seed)); }

StealthSalt SeedSalt(uint64_t seed) {
    const StealthKey bytes = PublicStealthKey(kBenchLabel, ~seed);
    StealthSalt salt{};
    std::copy_n(bytes.begin(), salt.size(), salt.begin());
    return salt;
}

StealthPayload RandomPayload(size_t bytes, uint64_t seed) {
    std::mt19937_64 random(seed);
    StealthPayload payload;
    payload.extension = "bin";
    payload.data.resize(bytes);
    for (auto& byte : payload.data) byte = static_cast<uint8_t>(random());
    return payload;
}

// Data bytes that make a message of this many bits (overhead included).
size_t DataBytesForBits(double bits) {
    const double overheadBits = 8.0 * (kStealthOverhead + kStealthSaltSize + kStealthHeaderBytes);
    return bits > overheadBits ? static_cast<size_t>((bits - overheadBits) / 8) : 0;
}

double Entropy(double p) { return p <= 0 || p >= 1 ? 0 : -p * std::log2(p) - (1 - p) * std::log2(1 - p); }

double SimulatedDistortion(const std::vector<float>& costs, double bits) {
    auto evaluate = [&](double lambda, double& distortion) {
        double entropy = 0;
        distortion = 0;
        for (float rho : costs) {
            const double p = 1.0 / (1.0 + std::exp(lambda * rho));
            entropy += Entropy(p);
            distortion += p * rho;
        }
        return entropy;
    };
    double low = 0, high = 1, distortion = 0;
    while (evaluate(high, distortion) > bits && high < 1e12) high *= 2;
    for (int step = 0; step < kLambdaSteps; ++step) {
        const double middle = (low + high) / 2;
        (evaluate(middle, distortion) > bits ? low : high) = middle;
    }
    evaluate(high, distortion);
    return distortion;
}

int Embed(int argc, char** argv) {
    if (argc < 4) Fail("embed IN OUT (--rate R | --bits B) --seed S [--height H]");
    const auto options = Options(argc, argv, 4);
    const auto seed = static_cast<uint64_t>(Number(options, "--seed", 1));
    const int height = static_cast<int>(Number(options, "--height", kBodyHeight));
    SamplePlane plane = ReadNetpbm(argv[2]);
    const SamplePlane cover = plane;
    const std::vector<float> costs = HillCosts(plane);
    const double bits = Number(options, "--bits", Number(options, "--rate", 0.1) * static_cast<double>(plane.Count()));
    const StealthPayload payload = RandomPayload(DataBytesForBits(bits), seed);
    const double start = Now();
    auto stats = HideStealthWithKeys(plane, SeedSalt(seed), SeedKeys(seed), payload, {}, height);
    const double seconds = Now() - start;
    if (!stats) Fail("hide failed: error " + std::to_string(static_cast<int>(stats.error().code)));
    WriteNetpbm(plane, argv[3]);
    size_t unusableChanges = 0;
    for (size_t i = 0; i < plane.Count(); ++i)
        unusableChanges += plane.samples[i] != cover.samples[i] && costs[i] >= kUsableCostLimit;
    std::printf(
        "{\"samples\":%zu,\"usable_samples\":%zu,\"message_bits\":%llu,\"changes\":%llu,"
        "\"unusable_changes\":%zu,\"distortion\":%.6f,\"simulated_distortion\":%.6f,\"seconds\":%.4f}\n",
        plane.Count(), UsableSamples(costs), static_cast<unsigned long long>(stats->messageBits),
        static_cast<unsigned long long>(stats->changes), unusableChanges, stats->distortion,
        SimulatedDistortion(costs, static_cast<double>(stats->messageBits)), seconds);
    return 0;
}

int Extract(int argc, char** argv) {
    if (argc < 3) Fail("extract IN --seed S");
    const auto options = Options(argc, argv, 3);
    const auto seed = static_cast<uint64_t>(Number(options, "--seed", 1));
    const SamplePlane plane = ReadNetpbm(argv[2]);
    auto payload =
        ExtractStealthWithKeys(plane, [&](const StealthSalt&) -> Result<StealthKeys> { return SeedKeys(seed); });
    if (payload)
        std::printf("{\"ok\":true,\"bytes\":%zu}\n", payload->data.size());
    else
        std::printf("{\"ok\":false}\n");
    return 0;
}

// Smooth gradients, sensor-like noise and a few hard edges: enough texture for HILL to find
// both cheap and expensive regions.
SamplePlane SyntheticPhoto(int32_t width, int32_t height) {
    SamplePlane plane = MakeSamplePlane(width, height, 3, 255);
    auto fill = [&](int32_t c) {
        std::mt19937 random(static_cast<uint32_t>(17 + c));
        std::normal_distribution<float> noise(0.0f, 2.0f);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                float v = 60.0f + 120.0f * static_cast<float>(x) / static_cast<float>(width) +
                          40.0f * std::sin(static_cast<float>(y) * 0.002f * static_cast<float>(c + 1));
                if ((x / 500 + y / 400) % 3 == 0) v += 35.0f;                    // edges
                if (y > height / 2 && x < width / 3) v += noise(random) * 6.0f;  // texture
                v += noise(random);
                plane.At(c, y, x) = static_cast<uint16_t>(std::clamp(v, 0.0f, 255.0f));
            }
    };
    std::vector<std::thread> workers;
    for (int32_t c = 0; c < 3; ++c) workers.emplace_back(fill, c);
    for (auto& worker : workers) worker.join();
    return plane;
}

// User and system time of every thread so far: on a busy machine wall time says little.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double PeakMib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A 24-bit bottom-up bitmap of the plane (blue, green, red), for timing the file road.
void WriteBmp24(const SamplePlane& plane, const std::string& path) {
    const uint32_t row = (static_cast<uint32_t>(plane.width) * 3 + 3) / 4 * 4;
    const uint32_t pixels = row * static_cast<uint32_t>(plane.height);
    std::vector<uint8_t> file(54 + size_t{pixels}, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M';
    put32(2, 54 + pixels), put32(10, 54), put32(14, 40), put32(18, static_cast<uint32_t>(plane.width));
    put32(22, static_cast<uint32_t>(plane.height)), put32(26, 1 | 24 << 16), put32(34, pixels);
    for (int32_t y = 0; y < plane.height; ++y)
        for (int32_t x = 0; x < plane.width; ++x)
            for (int32_t c = 0; c < 3; ++c)
                file[54 + size_t{row} * static_cast<size_t>(plane.height - 1 - y) + size_t(x) * 3 + c] =
                    static_cast<uint8_t>(plane.At(c, y, x));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out) Fail("cannot write " + path);
}

struct Timed {
    double seconds = 0;
    double cpu = 0;
};

template <class Work>
Timed Time(Work&& work) {
    const double start = Now(), cpuStart = CpuSeconds();
    work();
    return {Now() - start, CpuSeconds() - cpuStart};
}

// The hide as a user starts it (key derivation beside the costs, then the coding), and the
// extract; with --file FOLDER through a 24-bit bitmap written there (loading, saving and the
// file's copy in memory included).
int Speed(int argc, char** argv) {
    const auto options = Options(argc, argv, 2);
    SamplePlane plane = SyntheticPhoto(static_cast<int32_t>(Number(options, "--width", 6000)),
                                       static_cast<int32_t>(Number(options, "--height", 4000)));
    const StealthPayload payload =
        RandomPayload(DataBytesForBits(Number(options, "--rate", 0.1) * static_cast<double>(plane.Count())), 7);
    const std::string passphrase = "correct horse battery staple";
    const auto folder = options.find("--file");
    const std::string path = folder == options.end() ? "" : folder->second + "/speed.bmp";
    if (!path.empty()) {
        WriteBmp24(plane, path);
        plane = SamplePlane{};
    }

    const Timed kdf = Time([&] {
        if (!DeriveStealthKeys(passphrase, NewStealthSalt())) Fail("key derivation failed");
    });
    const Timed hide = Time([&] {
        Status hidden;
        if (path.empty()) {
            if (auto stats = HideStealth(plane, passphrase, payload); !stats) hidden = stats.error();
        } else {
            hidden = HideStealthInFile(path, path, passphrase, payload);
        }
        if (!hidden) Fail("hide failed: error " + std::to_string(static_cast<int>(hidden.error().code)));
    });
    const Timed extract = Time([&] {
        auto found = path.empty() ? ExtractStealth(plane, passphrase) : ExtractStealthFromFile(path, passphrase);
        if (!found || found->data != payload.data) Fail("extract did not give the data back");
    });
    if (!path.empty()) std::remove(path.c_str());
    std::printf(
        "{\"hide_seconds\":%.3f,\"extract_seconds\":%.3f,\"kdf_seconds\":%.3f,\"peak_rss_mib\":%.1f,"
        "\"hide_cpu_seconds\":%.3f,\"extract_cpu_seconds\":%.3f,\"kdf_cpu_seconds\":%.3f}\n",
        hide.seconds, extract.seconds, kdf.seconds, PeakMib(), hide.cpu, extract.cpu, kdf.cpu);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "embed") return Embed(argc, argv);
    if (command == "extract") return Extract(argc, argv);
    if (command == "speed") return Speed(argc, argv);
    Fail(
        "usage: embed IN OUT (--rate R | --bits B) --seed S [--height H] | extract IN --seed S | speed --width W "
        "--height H --rate R [--file FOLDER]");
}
