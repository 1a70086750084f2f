#include "config/NumberFormat.h"

#include <locale>
#include <stdexcept>

#include "config/Utf8.h"

namespace tarnwerk {
namespace {

constexpr size_t kGroupSize = 3;
constexpr const char* kFallbackSeparator = ",";

std::string Grouped(int64_t value, bool zeroAsEmpty) {
    if (value == 0) return zeroAsEmpty ? std::string() : std::string("0");
    // The magnitude as unsigned, so the most negative value does not overflow.
    const uint64_t magnitude = value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    const std::string separator = ThousandsSeparator();
    std::string out = value < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % kGroupSize == 0) out += separator;
        out += digits[i];
    }
    return out;
}

}  // namespace

std::string FormatHashGroup(int64_t value) { return Grouped(value, true); }

std::string FormatHashGroupZero(int64_t value) { return Grouped(value, false); }

std::string ThousandsSeparator() {
    // The wide facet, because several locales use a separator beyond one byte (French
    // uses U+202F); the narrow facet would hand back only a fragment of it.
    try {
        const std::locale environment("");
        const wchar_t separator = std::use_facet<std::numpunct<wchar_t>>(environment).thousands_sep();
        if (separator == L'\0') return kFallbackSeparator;
        std::string utf8;
        AppendUtf8(utf8, static_cast<char32_t>(separator));
        return utf8;
    } catch (const std::runtime_error&) {
        return kFallbackSeparator;  // LANG names a locale this system does not have
    }
}

}  // namespace tarnwerk
