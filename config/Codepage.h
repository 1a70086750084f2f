// Windows-1252, the single-byte code page stored texts (passphrases, extensions) use.
#pragma once

#include <optional>
#include <string>

namespace tarnwerk {

// UTF-8 to Windows-1252; nullopt when a character has no single-byte code.
// Input that is not valid UTF-8 is taken byte for byte.
std::optional<std::string> Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& bytes);

}  // namespace tarnwerk
