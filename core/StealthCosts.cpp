#include "core/StealthCosts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <thread>

namespace tarnwerk {

namespace {

constexpr int kSmallRadius = 1;  // 3 x 3 window of |R|
constexpr int kLargeRadius = 7;  // 15 x 15 window of 1 / xi
constexpr int kSmallArea = (2 * kSmallRadius + 1) * (2 * kSmallRadius + 1);
constexpr int kLargeArea = (2 * kLargeRadius + 1) * (2 * kLargeRadius + 1);
// 1 / (xi + 1e-10) at xi == 0. Samples are integers, so xi is 0 or at least 1/9: the two cases
// are kept apart (a count of flat samples beside a sum of finite reciprocals), which keeps the
// running sums exact instead of mixing 1e10 with values below 10.
constexpr double kFlatReciprocal = 1e10;
// Rows of horizontal sums kept for the vertical pass: the window plus the row leaving it.
constexpr int kRing = 2 * kLargeRadius + 2;

// Symmetric mirror of an index into 0..n-1 (repeats the edge sample), also for tiny n.
int Mirror(int i, int n) {
    for (;;) {
        if (i < 0)
            i = -i - 1;
        else if (i >= n)
            i = 2 * n - 1 - i;
        else
            return i;
    }
}

// |R| of one row: the high-pass KB is minus the outer product of (-1, 2, -1) with itself.
void AbsResidualRow(const uint16_t* channel, int width, int height, int y, std::vector<int32_t>& out) {
    const uint16_t* rows[3];
    for (int d = -1; d <= 1; ++d) rows[d + 1] = channel + static_cast<size_t>(Mirror(y + d, height)) * width;
    std::vector<int32_t> vertical(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) vertical[x] = -rows[0][x] + 2 * rows[1][x] - rows[2][x];
    for (int x = 0; x < width; ++x) {
        const int32_t r = -vertical[Mirror(x - 1, width)] + 2 * vertical[x] - vertical[Mirror(x + 1, width)];
        out[x] = std::abs(r);
    }
}

// Writes 9 * xi into p's place as 1 / xi, or +inf where xi == 0.
void ReciprocalActivity(const uint16_t* channel, int width, int height, float* out) {
    std::vector<int32_t> rows[3] = {std::vector<int32_t>(width), std::vector<int32_t>(width),
                                    std::vector<int32_t>(width)};
    AbsResidualRow(channel, width, height, Mirror(-1, height), rows[0]);
    AbsResidualRow(channel, width, height, 0, rows[1]);
    std::vector<int32_t> column(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        AbsResidualRow(channel, width, height, Mirror(y + 1, height), rows[(y + 2) % 3]);
        for (int x = 0; x < width; ++x) column[x] = rows[0][x] + rows[1][x] + rows[2][x];
        float* row = out + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int32_t sum9 = column[Mirror(x - 1, width)] + column[x] + column[Mirror(x + 1, width)];
            row[x] = sum9 == 0 ? std::numeric_limits<float>::infinity()
                               : static_cast<float>(kSmallArea) / static_cast<float>(sum9);
        }
    }
}

struct WindowSums {
    std::vector<double> finite;
    std::vector<int32_t> flat;
};

// Horizontal 15-sample sums of one row of reciprocals.
void HorizontalSums(const float* row, int width, WindowSums& sums) {
    double finite = 0;
    int32_t flat = 0;
    auto add = [&](int x, int sign) {
        const float p = row[Mirror(x, width)];
        if (std::isinf(p))
            flat += sign;
        else
            finite += sign * static_cast<double>(p);
    };
    for (int x = -kLargeRadius; x <= kLargeRadius; ++x) add(x, 1);
    for (int x = 0; x < width; ++x) {
        sums.finite[x] = finite;
        sums.flat[x] = flat;
        add(x + kLargeRadius + 1, 1);
        add(x - kLargeRadius, -1);
    }
}

// The 15 x 15 average of the reciprocals, in place: a ring of horizontal sums keeps every row
// the vertical window (mirrored rows included) still needs after its reciprocals are replaced.
void LargeAverageInPlace(float* data, int width, int height) {
    std::vector<WindowSums> ring(kRing, WindowSums{std::vector<double>(width), std::vector<int32_t>(width)});
    std::vector<int> slotRow(kRing, -1);
    auto rowSums = [&](int r) -> const WindowSums& {
        WindowSums& slot = ring[r % kRing];
        if (slotRow[r % kRing] != r) {
            HorizontalSums(data + static_cast<size_t>(r) * width, width, slot);
            slotRow[r % kRing] = r;
        }
        return slot;
    };
    std::vector<double> finite(width, 0.0);
    std::vector<int64_t> flat(width, 0);
    auto accumulate = [&](int r, int sign) {
        const WindowSums& s = rowSums(Mirror(r, height));
        for (int x = 0; x < width; ++x) {
            finite[x] += sign * s.finite[x];
            flat[x] += sign * s.flat[x];
        }
    };
    for (int r = -kLargeRadius; r <= kLargeRadius; ++r) accumulate(r, 1);
    for (int y = 0; y < height; ++y) {
        float* row = data + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const double rho = (finite[x] + static_cast<double>(flat[x]) * kFlatReciprocal) / kLargeArea;
            row[x] = static_cast<float>(std::min(rho, static_cast<double>(kWetCost)));
        }
        if (y + 1 < height) {
            accumulate(y + kLargeRadius + 1, 1);
            accumulate(y - kLargeRadius, -1);
        }
    }
}

void ChannelCosts(const uint16_t* channel, int width, int height, float* out) {
    ReciprocalActivity(channel, width, height, out);
    LargeAverageInPlace(out, width, height);
}

}  // namespace

std::vector<float> HillCosts(const SamplePlane& plane) {
    std::vector<float> costs(plane.Count());
    std::vector<std::thread> workers;
    for (int32_t c = 0; c < plane.channels; ++c) {
        float* out = costs.data() + plane.ChannelSize() * static_cast<size_t>(c);
        workers.emplace_back(ChannelCosts, plane.Channel(c), plane.width, plane.height, out);
    }
    for (auto& worker : workers) worker.join();
    return costs;
}

size_t UsableSamples(std::span<const float> costs) {
    return static_cast<size_t>(std::count_if(costs.begin(), costs.end(), [](float c) { return c < kUsableCostLimit; }));
}

}  // namespace tarnwerk
