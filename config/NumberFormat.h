// Number patterns of the window's size fields, grouped the way the program's language writes
// numbers ("720.054" in German, "720,054" in English).
#pragma once

#include <cstdint>
#include <string>

namespace tarnwerk {

// "#,###": 0 gives "".
std::string FormatHashGroup(int64_t value, int languageBase);
// "#,###0": at least one digit.
std::string FormatHashGroupZero(int64_t value, int languageBase);

}  // namespace tarnwerk
