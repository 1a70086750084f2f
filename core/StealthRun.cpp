#include "core/StealthRun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnwerk {

namespace {

constexpr auto kReportInterval = std::chrono::milliseconds(20);
constexpr unsigned kMaxWorkers = 64;

}  // namespace

bool RunSegments(size_t count, const std::function<void(size_t)>& job, const StealthRun& run, int firstPercent,
                 int lastPercent) {
    std::atomic<size_t> next{0};
    std::mutex lock;
    std::condition_variable changed;
    size_t done = 0;
    auto worker = [&] {
        for (size_t s; !run.Cancelled() && (s = next.fetch_add(1)) < count;) {
            job(s);
            const std::lock_guard guard(lock);
            ++done;
            changed.notify_one();
        }
        const std::lock_guard guard(lock);
        changed.notify_one();
    };
    const unsigned workers = std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, kMaxWorkers);
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < std::min<size_t>(workers, std::max<size_t>(count, 1)); ++t) pool.emplace_back(worker);

    std::unique_lock guard(lock);
    for (;;) {
        const bool finished = done == count;
        const int percent =
            count == 0 ? lastPercent : firstPercent + static_cast<int>((lastPercent - firstPercent) * done / count);
        guard.unlock();
        run.Report(percent);
        if (finished || run.Cancelled()) break;
        guard.lock();
        changed.wait_for(guard, kReportInterval);
    }
    for (auto& thread : pool) thread.join();
    return !run.Cancelled();
}

}  // namespace tarnwerk

namespace tarnwerk {

void RunReporting(const std::vector<std::function<void()>>& works, const StealthRun& run, int percent) {
    StealthRun uncancellable = run;
    uncancellable.cancel = nullptr;
    RunSegments(
        works.size(), [&](size_t w) { works[w](); }, uncancellable, percent, percent);
}

Result<StealthKeys> DeriveKeysReporting(std::string_view passphrase, const StealthSalt& salt, Argon2Limits limits,
                                        const StealthRun& run) {
    Result<StealthKeys> keys = MakeError(ErrorCode::Internal);
    RunReporting({[&] { keys = DeriveStealthKeys(passphrase, salt, limits); }}, run, 0);
    return keys;
}

}  // namespace tarnwerk
