// The hexadecimal text form of the string members: two upper-case digits per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwerk {

std::string ToHexText(const uint8_t* data, std::size_t size);
// Pairs of digits in either case; an odd last digit stands alone. Nullopt when a character is
// not a hexadecimal digit.
std::optional<std::vector<uint8_t>> FromHexText(const std::string& text);

}  // namespace tarnwerk
