#include "crypto/ProgressStep.h"

#include <cmath>

namespace tarnwerk {

namespace {

double RoundHalfEven(double x) {
    const double whole = std::floor(x);
    const double fraction = x - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) return whole + 1.0;
    return whole;
}

}  // namespace

void ProgressStep::Report(int64_t offset) {
    // The quotient comes first, in double precision, as the stored rule has it; the rounding of
    // e.g. 29 / 100 * 100 to 28.999... is part of that rule.
    const double total = static_cast<double>(total_);
    const auto percent = static_cast<int32_t>(std::floor(static_cast<double>(offset) / total * 100.0));
    threshold_ = static_cast<int64_t>(RoundHalfEven((percent + 1) / 100.0 * total + 1.0));
    Raise(percent);
}

void ProgressStep::Finish() {
    if (lastPercent_ != 100) Raise(100);
}

void ProgressStep::Raise(int32_t percent) {
    lastPercent_ = percent;
    if (report_) report_(percent);
}

}  // namespace tarnwerk
