// How a long stealth run reports and stops: an optional progress callback and cancel flag, and
// the pool that spreads the body's segments over every core. Progress is reported from the
// calling thread only, so a window may repaint from the callback.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "core/Progress.h"
#include "crypto/StealthKeys.h"

namespace tarnwerk {

struct StealthRun {
    ProgressFn progress;
    const std::atomic<bool>* cancel = nullptr;

    bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    void Report(int percent) const {
        if (progress) progress(percent);
    }
};

// Runs job(0) .. job(count - 1), each once, on one worker thread per core while the calling
// thread reports progress from firstPercent to lastPercent and watches the cancel flag (no new
// job starts once it is set). Jobs must not touch each other's data. False when cancelled.
bool RunSegments(size_t count, const std::function<void(size_t)>& job, const StealthRun& run, int firstPercent,
                 int lastPercent = 100);

// Runs works that cannot report (key derivation, costs) on threads of their own, side by side
// where there are cores, while the calling thread keeps reporting percent every few
// milliseconds. They cannot stop half way: the caller checks for a cancel afterwards.
void RunReporting(const std::vector<std::function<void()>>& works, const StealthRun& run, int percent);

// DeriveStealthKeys (a second of Argon2id) while reporting 0 %.
Result<StealthKeys> DeriveKeysReporting(std::string_view passphrase, const StealthSalt& salt, Argon2Limits limits,
                                        const StealthRun& run);

}  // namespace tarnwerk
