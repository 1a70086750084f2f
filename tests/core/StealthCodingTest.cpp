// The stealth method's building blocks against independent references: syndrome-trellis
// coding against a brute-force search over a matrix built here from the documented rule,
// HILL costs against a direct (window by window) computation, and the stored-format rules
// (salt region and header mask recomputed with libsodium).
#include <gtest/gtest.h>
#include <sodium.h>

#include <cmath>
#include <random>
#include <set>

#include "core/Capacity.h"
#include "core/StealthCosts.h"
#include "core/StealthFormat.h"
#include "core/StealthHide.h"
#include "core/StealthOrder.h"
#include "core/StealthRegions.h"
#include "core/SyndromeTrellis.h"
#include "support/TestSeed.h"

namespace tarnwerk {
namespace {

__extension__ using Wide = unsigned __int128;

std::mt19937 SeededRandom() { return std::mt19937(static_cast<std::mt19937::result_type>(test::TestSeed())); }

std::vector<StcKernel> Kernels() {
    std::vector<StcKernel> kernels{StcKernel::Scalar, StcKernel::Sse2};
    if (__builtin_cpu_supports("avx2")) kernels.push_back(StcKernel::Avx2);
    if (__builtin_cpu_supports("avx512f")) kernels.push_back(StcKernel::Avx512);
    return kernels;
}

// The documented column rule, written out again: splitmix64 from the fixed seed.
std::vector<uint32_t> DocumentedColumns(int h, size_t w) {
    uint64_t state = 0x54574B5354433031ull ^ (uint64_t(h) << 32) ^ w;
    std::vector<uint32_t> columns;
    for (size_t j = 0; j < w; ++j) {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        columns.push_back((uint32_t(z) & ((1u << h) - 1)) | 1u | (1u << (h - 1)));
    }
    return columns;
}

// H y over GF(2), H laid out as the documented band matrix.
std::vector<uint8_t> Syndrome(const std::vector<uint8_t>& y, size_t k, int h) {
    const size_t n = y.size();
    const size_t w = (n + k - 1) / k;
    const auto columns = DocumentedColumns(h, w);
    std::vector<uint8_t> m(k, 0);
    for (size_t b = 0; b < k; ++b)
        for (size_t i = b * n / k; i < (b + 1) * n / k; ++i)
            for (int r = 0; r < h && b + r < k; ++r)
                if (y[i] && (columns[i - b * n / k] >> r & 1u)) m[b + r] ^= 1;
    return m;
}

TEST(SyndromeTrellis, ColumnsFollowTheFixedRule) {
    for (int h : {7, 10})
        for (size_t w : {2u, 10u, 37u}) EXPECT_EQ(StcColumns(h, w), DocumentedColumns(h, w));
}

TEST(SyndromeTrellis, FindsTheCheapestStegoOfEveryKernel) {
    std::mt19937 random = SeededRandom();
    for (int trial = 0; trial < 6; ++trial) {
        const size_t n = 14, k = 3 + trial % 4;
        std::vector<uint8_t> cover(n), message(k);
        std::vector<float> costs(n);
        for (auto& bit : cover) bit = random() & 1;
        for (auto& bit : message) bit = random() & 1;
        for (auto& cost : costs) cost = float(1 + random() % 1000) / 100.0f;
        double best = INFINITY;
        for (uint32_t pattern = 0; pattern < (1u << n); ++pattern) {
            std::vector<uint8_t> y(n);
            double cost = 0;
            for (size_t i = 0; i < n; ++i) {
                y[i] = pattern >> i & 1u;
                if (y[i] != cover[i]) cost += costs[i];
            }
            if (cost < best && Syndrome(y, k, 4) == message) best = cost;
        }
        for (StcKernel kernel : Kernels()) {
            StcWorkspace workspace;
            std::vector<uint8_t> stego(n);
            const double cost = StcEmbed(cover, costs, message, 4, stego, workspace, kernel);
            EXPECT_NEAR(cost, best, 1e-4) << "trial " << trial << " kernel " << int(kernel);
            EXPECT_EQ(Syndrome(stego, k, 4), message);
        }
    }
}

TEST(SyndromeTrellis, DecodesWhatItEncodesForManyShapes) {
    std::mt19937 random = SeededRandom();
    const struct {
        size_t n, k;
        int h;
    } shapes[] = {{1000, 100, 7}, {4093, 1365, 8}, {20000, 2003, 10}, {777, 388, 9}, {5000, 1, 10}, {64, 64, 7}};
    for (const auto& shape : shapes) {
        std::vector<uint8_t> cover(shape.n), message(shape.k), read(shape.k);
        std::vector<float> costs(shape.n);
        for (auto& bit : cover) bit = random() & 1;
        for (auto& bit : message) bit = random() & 1;
        for (auto& cost : costs) cost = random() % 50 == 0 ? kWetCost : float(random() % 10000) / 1000.0f;
        double reference = -1;
        for (StcKernel kernel : Kernels()) {
            StcWorkspace workspace;
            std::vector<uint8_t> stego(shape.n);
            const double cost = StcEmbed(cover, costs, message, shape.h, stego, workspace, kernel);
            StcExtract(stego, shape.k, shape.h, read);
            EXPECT_EQ(read, message) << shape.n << "/" << shape.k << " kernel " << int(kernel);
            EXPECT_EQ(Syndrome(stego, shape.k, shape.h), message);
            if (reference < 0) reference = cost;
            EXPECT_NEAR(cost, reference, 1e-3 * reference + 1e-3) << "kernels disagree";
            if (shape.k * 4 < shape.n) {
                EXPECT_LT(cost, kWetCost) << "a wet sample was changed";
            }
        }
    }
}

// HILL written out directly: every window summed on its own, in double.
std::vector<double> DirectHill(const std::vector<int>& x, int width, int height) {
    auto mirror = [](int i, int n) {
        while (i < 0 || i >= n) i = i < 0 ? -i - 1 : 2 * n - 1 - i;
        return i;
    };
    auto at = [&](const std::vector<double>& v, int y, int xx) {
        return v[mirror(y, height) * width + mirror(xx, width)];
    };
    std::vector<double> xs(x.begin(), x.end()), r(x.size()), xi(x.size()), p(x.size()), rho(x.size());
    const int kb[3][3] = {{-1, 2, -1}, {2, -4, 2}, {-1, 2, -1}};
    for (int y = 0; y < height; ++y)
        for (int c = 0; c < width; ++c) {
            double sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) sum += kb[dy + 1][dx + 1] * at(xs, y + dy, c + dx);
            r[y * width + c] = std::abs(sum);
        }
    for (int y = 0; y < height; ++y)
        for (int c = 0; c < width; ++c) {
            double sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) sum += at(r, y + dy, c + dx);
            p[y * width + c] = 1.0 / (sum / 9 + 1e-10);
        }
    for (int y = 0; y < height; ++y)
        for (int c = 0; c < width; ++c) {
            double sum = 0;
            for (int dy = -7; dy <= 7; ++dy)
                for (int dx = -7; dx <= 7; ++dx) sum += at(p, y + dy, c + dx);
            rho[y * width + c] = std::min(sum / 225, double(kWetCost));
        }
    return rho;
}

TEST(HillCosts, MatchTheDirectFormula) {
    std::mt19937 random = SeededRandom();
    for (auto [width, height] : {std::pair{23, 19}, std::pair{5, 3}, std::pair{1, 9}, std::pair{40, 17}}) {
        SamplePlane plane = MakeSamplePlane(width, height, 3, 255);
        for (auto& v : plane.samples) v = uint16_t(random() % 256);
        // A flat patch in one channel: xi is 0 there, so its costs are huge but finite.
        for (int y = 0; y < height / 2; ++y)
            for (int x = 0; x < width / 2; ++x) plane.At(1, y, x) = 128;
        const std::vector<float> costs = HillCosts(plane);
        for (int c = 0; c < 3; ++c) {
            std::vector<int> channel(plane.Channel(c), plane.Channel(c) + plane.ChannelSize());
            const auto expected = DirectHill(channel, width, height);
            for (size_t i = 0; i < expected.size(); ++i)
                ASSERT_NEAR(costs[c * plane.ChannelSize() + i], expected[i], 1e-5 * expected[i])
                    << width << "x" << height << " channel " << c << " sample " << i;
        }
    }
}

// A flat picture has no residual anywhere: every cost is the cap.
TEST(HillCosts, FlatPictureCostsTheCapEverywhere) {
    SamplePlane flat = MakeSamplePlane(20, 20, 1, 255);
    for (auto& v : flat.samples) v = 77;
    for (float cost : HillCosts(flat)) EXPECT_EQ(cost, kWetCost);
}

// Stripes constant down each column: KB's rows (-1 2 -1) weigh the column sums by (-1, 2, -1),
// which add up to 0, so R = 0 and the costs are the cap again.
TEST(HillCosts, VerticalStripesCostTheCapEverywhere) {
    SamplePlane stripes = MakeSamplePlane(16, 16, 1, 255);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) stripes.At(0, y, x) = uint16_t(x % 2);
    for (float cost : HillCosts(stripes)) EXPECT_EQ(cost, kWetCost);
}

// A checkerboard of 0 and 1: at a 0, R = 2 * (four 1s) - 4 * 0 - (four 0s) = 8; at a 1 it is
// -8. So xi = 8 and p = rho = 1/8 wherever the windows stay clear of the mirrored borders.
TEST(HillCosts, CheckerboardCostsAnEighthInside) {
    SamplePlane board = MakeSamplePlane(32, 32, 1, 255);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) board.At(0, y, x) = uint16_t((x + y) % 2);
    const auto costs = HillCosts(board);
    EXPECT_NEAR(costs[16 * 32 + 16], 1.0 / 8, 1e-7);
}

TEST(StealthFormat, HeaderBytesAndWhatTheDecoderRefuses) {
    const auto bytes = EncodeStealthHeader({1, 10, 0x01020304});
    EXPECT_EQ(bytes, (std::array<uint8_t, 8>{1, 10, 0, 0, 4, 3, 2, 1}));
    EXPECT_TRUE(DecodeStealthHeader(bytes));
    for (auto bad : {std::array<uint8_t, 8>{2, 10, 0, 0, 4, 3, 2, 1}, std::array<uint8_t, 8>{1, 6, 0, 0, 4, 3, 2, 1},
                     std::array<uint8_t, 8>{1, 11, 0, 0, 4, 3, 2, 1}, std::array<uint8_t, 8>{1, 10, 0, 1, 4, 3, 2, 1}})
        EXPECT_FALSE(DecodeStealthHeader(bad));
}

// 3 full segments and a short one; bits proportional, by floor(K * end / n).
TEST(StealthFormat, SegmentsTakeBitsInProportion) {
    StealthLayout layout;
    layout.samples = 3 * kSegmentSamples + 1000 + kSaltRegionSamples + kHeaderRegionSamples;
    layout.bodySamples = 3 * kSegmentSamples + 1000;
    ASSERT_EQ(layout.SegmentCount(), 4u);
    const uint64_t bits = 80001;
    size_t total = 0;
    for (size_t s = 0; s < 4; ++s) {
        const uint64_t end = std::min<uint64_t>((s + 1) * kSegmentSamples, layout.bodySamples);
        EXPECT_EQ(layout.FirstBit(s, bits), total);
        EXPECT_EQ(layout.FirstBit(s, bits) + layout.SegmentBits(s, bits), bits * end / layout.bodySamples);
        total += layout.SegmentBits(s, bits);
    }
    EXPECT_EQ(total, bits);
    EXPECT_EQ(layout.SegmentBits(3, bits), 80001 - 80001 * (3 * kSegmentSamples) / layout.bodySamples);
}

TEST(StealthFormat, CapacityCountsOnlyUsableSamples) {
    auto layout = StealthLayoutFor(6000u * 4000u * 3u);
    ASSERT_TRUE(layout);
    // 0.1 bit per usable sample, less salt and header bits and the sealing overhead; at most
    // half a bit per usable sample and per sample outside the salt and header regions.
    const StealthCapacity all = StealthCapacityOf(*layout, 72000000, 4096);
    EXPECT_EQ(all.recommended, (7200000 - 192) / 8 - 49);
    EXPECT_NEAR(double(all.maximum), (72000000.0 - 8192) / 16 - 49, 8);
    const StealthCapacity half = StealthCapacityOf(*layout, 36000000, 2048);
    EXPECT_EQ(half.recommended, (3600000 - 192) / 8 - 49);
    EXPECT_EQ(half.maximum, (18000000 - 192) / 8 - 49);
    // Too few usable samples in all, or in the salt's public region.
    for (const StealthCapacity none :
         {StealthCapacityOf(*layout, 1000, 600), StealthCapacityOf(*layout, 36000000, 511)}) {
        EXPECT_EQ(none.recommended, 0);
        EXPECT_EQ(none.maximum, 0);
    }
    EXPECT_FALSE(StealthLayoutFor(8192 + 700));
}

// The salt region written out from the documented rule with libsodium directly.
std::vector<uint32_t> DocumentedSaltRegion(uint64_t n) {
    const std::string label = "tarnwerk stealth salt region v1";
    uint8_t key[32], number[8], nonce[8] = {};
    for (int i = 0; i < 8; ++i) number[i] = uint8_t(n >> (8 * i));
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, sizeof key);
    crypto_generichash_update(&state, reinterpret_cast<const uint8_t*>(label.data()), label.size());
    crypto_generichash_update(&state, number, sizeof number);
    crypto_generichash_final(&state, key, sizeof key);
    std::vector<uint8_t> stream(1 << 16);
    crypto_stream_chacha20(stream.data(), stream.size(), nonce, key);
    std::vector<uint32_t> region;
    std::set<uint32_t> seen;
    for (size_t at = 0; region.size() < 4096; at += 8) {
        uint64_t u = 0;
        for (int i = 0; i < 8; ++i) u |= uint64_t{stream[at + i]} << (8 * i);
        const auto index = uint32_t((static_cast<Wide>(u) * n) >> 64);
        if (seen.insert(index).second) region.push_back(index);
    }
    return region;
}

TEST(StealthFormat, SaltAndMaskedHeaderStandWhereTheFormatPutsThem) {
    SamplePlane plane = MakeSamplePlane(151, 97, 3, 255);
    std::mt19937 random = SeededRandom();
    for (auto& v : plane.samples) v = uint16_t(random() % 256);
    StealthKey master{};
    master[0] = 42;
    const StealthKeys keys = StealthKeysFromMaster(master);
    const StealthSalt salt{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 255, 254, 253, 252, 251, 250};
    StealthPayload payload;
    payload.data.assign(300, 0x5A);
    ASSERT_TRUE(HideStealthWithKeys(plane, salt, keys, payload));

    const std::vector<uint32_t> saltRegion = SaltRegion(plane.Count());
    EXPECT_EQ(saltRegion, DocumentedSaltRegion(plane.Count()));
    EXPECT_EQ(PackBitsLsbFirst(ReadRegion(plane, saltRegion, 128, 10)), std::vector<uint8_t>(salt.begin(), salt.end()));

    auto layout = StealthLayoutFor(plane.Count());
    ASSERT_TRUE(layout);
    const StealthOrder order(keys.order, *layout, saltRegion);
    const auto masked = PackBitsLsbFirst(ReadRegion(plane, order.HeaderRegion(), 64, 10));
    uint8_t mask[8] = {}, nonce[8] = {};
    crypto_stream_chacha20(mask, sizeof mask, nonce, keys.headerMask.data());
    const uint32_t sealed = 24 + 1 + 8 + 300 + 16;
    const uint8_t plain[8] = {1, 10, 0, 0, uint8_t(sealed), uint8_t(sealed >> 8), 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(masked[i] ^ mask[i], plain[i]) << "header byte " << i;
}

}  // namespace
}  // namespace tarnwerk
