// The progress rule all five ciphers share: the first unit reports 0, later units report only
// when a new percent boundary is passed, and 100 is reported once at the very end. At most about
// 101 reports per call, whatever the data size.
#pragma once

#include <cstdint>
#include <functional>

namespace tarnwerk {

class ProgressStep {
public:
    using ReportFn = std::function<void(int32_t percent)>;

    ProgressStep(const ReportFn& report, int64_t total) : report_(report), total_(total) {}

    // After the unit that starts at byte offset has been processed.
    void After(int64_t offset) {
        if (offset >= threshold_) Report(offset);
    }
    // The first offset at which After reports again.
    int64_t Threshold() const { return threshold_; }
    void Report(int64_t offset);
    void Finish();

private:
    void Raise(int32_t percent);

    const ReportFn& report_;
    int64_t total_;
    int64_t threshold_ = 0;
    int32_t lastPercent_ = 0;
};

}  // namespace tarnwerk
