#include "config/NumberFormat.h"

#include "config/Strings.h"

namespace tarnwerk {
namespace {

constexpr size_t kGroupSize = 3;

std::string Grouped(int64_t value, bool zeroAsEmpty, int languageBase) {
    if (value == 0) return zeroAsEmpty ? std::string() : std::string("0");
    // The magnitude as unsigned, so the most negative value does not overflow.
    const uint64_t magnitude = value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    // The language's own separator, not the desktop locale's: a German window on an English
    // desktop writes "720.054 Byte".
    const std::string separator = Text(languageBase, TextId::ThousandsSeparator);
    std::string out = value < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % kGroupSize == 0) out += separator;
        out += digits[i];
    }
    return out;
}

}  // namespace

std::string FormatHashGroup(int64_t value, int languageBase) { return Grouped(value, true, languageBase); }

std::string FormatHashGroupZero(int64_t value, int languageBase) { return Grouped(value, false, languageBase); }

}  // namespace tarnwerk
