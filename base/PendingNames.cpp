#include "base/PendingNames.h"

#include <limits.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace tarnwerk {
namespace {

constexpr int kSlots = 32;  // a command holds a handful at most
enum SlotState : int { kFree, kFilling, kReady };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};

// Static storage: a signal handler may neither allocate nor lock.
std::array<Slot, kSlots> table;

}  // namespace

PendingName::PendingName(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!table[static_cast<size_t>(i)].state.compare_exchange_strong(expected, kFilling)) continue;
        Slot& slot = table[static_cast<size_t>(i)];
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kReady);
        slot_ = i;
        return;
    }
}

PendingName::~PendingName() {
    if (slot_ >= 0) table[static_cast<size_t>(slot_)].state.store(kFree);
}

void RemovePendingNames() {
    for (Slot& slot : table)
        if (slot.state.load() == kReady) ::unlink(slot.path);
}

}  // namespace tarnwerk
