// The number rules the settings file is read with.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwerk {

// Classic leading-number value: blanks skipped, then an optional sign, digits, an optional
// "." with digits and an optional exponent, as far as they go; the rest is ignored. No
// leading number gives 0. The decimal point is "." whatever the locale. Values too large
// for a double come back as infinity with their sign.
double LeadingNumberValue(std::string_view text);

// Nearest integer, halves to the even neighbour; nullopt when it leaves the 32-bit range.
std::optional<int32_t> RoundHalfEven32(double value);

}  // namespace tarnwerk
