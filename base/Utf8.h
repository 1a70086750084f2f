// Strict UTF-8 decoding and encoding for the code-page and number-format conversions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwerk {

// Code points of the text; nullopt for malformed input (bad sequences, overlong forms,
// surrogates, values above U+10FFFF).
std::optional<std::u32string> DecodeUtf8(std::string_view text);
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace tarnwerk
