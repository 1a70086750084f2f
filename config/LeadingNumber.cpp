#include "config/LeadingNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarnwerk {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipDigits(std::string_view text, size_t at) {
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at;
}

// Length of the number at the start of text (sign already removed); 0 when none.
size_t NumberLength(std::string_view text) {
    size_t end = SkipDigits(text, 0);
    bool anyDigit = end > 0;
    if (end < text.size() && text[end] == '.') {
        const size_t fraction = SkipDigits(text, end + 1);
        anyDigit = anyDigit || fraction > end + 1;
        end = fraction;
    }
    if (!anyDigit) return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        const size_t exponentEnd = SkipDigits(text, exponent);
        if (exponentEnd > exponent) end = exponentEnd;  // "1e" keeps only the 1
    }
    return end;
}

constexpr long long kExponentCap = 1000000;  // far beyond any double; keeps the sum from overflowing

// For a number outside the double range: whether it lies below 1 in magnitude (too small)
// rather than above (too large). The decimal position of the first significant digit plus
// the exponent decides; the mantissa's digits alone or the exponent's sign alone do not.
bool BelowOne(std::string_view number) {
    long long position = 0;
    bool significant = false;
    bool fraction = false;
    size_t at = 0;
    for (; at < number.size() && number[at] != 'e' && number[at] != 'E'; ++at) {
        if (number[at] == '.') {
            fraction = true;
        } else if (!significant && number[at] != '0') {
            significant = true;
            if (fraction) --position;
        } else if (significant && !fraction) {
            ++position;
        } else if (!significant && fraction) {
            --position;
        }
    }
    long long exponent = 0;
    bool negative = false;
    if (at < number.size()) {
        ++at;
        if (at < number.size() && (number[at] == '+' || number[at] == '-')) negative = number[at++] == '-';
        for (; at < number.size(); ++at) exponent = std::min(exponent * 10 + (number[at] - '0'), kExponentCap);
    }
    return position + (negative ? -exponent : exponent) < 0;
}

}  // namespace

double LeadingNumberValue(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const std::string_view rest = text.substr(at);
    const size_t length = NumberLength(rest);
    if (length == 0) return 0.0;

    double value = 0.0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + length, value);
    if (error == std::errc::result_out_of_range) {
        // Too small rounds to zero, too large to infinity; from_chars leaves value untouched.
        value = BelowOne(rest.substr(0, length)) ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (error != std::errc() || end != rest.data() + length) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::optional<int32_t> RoundHalfEven32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (whole < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
        whole > static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int32_t>(whole);
}

}  // namespace tarnwerk
