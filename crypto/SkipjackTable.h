// Skipjack's published F-table.
#pragma once

#include <cstdint>

namespace tarnwerk {

extern const uint8_t kSkipjackF[256];

}  // namespace tarnwerk
