// Number patterns of the window's size fields, with the user's thousands separator.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwerk {

// "#,###": 0 gives "".
std::string FormatHashGroup(int64_t value);
// "#,###0": at least one digit.
std::string FormatHashGroupZero(int64_t value);
// The separator used above (from the environment's locale; "," when it has none).
std::string ThousandsSeparator();

}  // namespace tarnwerk
