// Small file and text helpers shared by the engine and the workflows.
#pragma once

#include <string>
#include <string_view>

namespace tarnwerk {

// Text up to the first NUL, trailing blanks removed.
std::string StripNul(const std::string& text);
// True when the path names a regular file that can be opened for reading.
bool FileExists(const std::string& path);
// Pairs of hexadecimal digits to the bytes they stand for ("41FF" -> "A\xFF").
std::string HexToBin(const std::string& hex);
// Part after the last "." of the file name ("" when the name has none). On this platform
// "/" separates folders, so a dot in a folder name is not taken for an extension.
std::string GetExtension(const std::string& path);
// Part after the last "/" ("" when there is none, as the original helper did for bare names).
std::string GetFileName(const std::string& path);
// Text without leading and trailing blanks (the classic Trim): blanks only, not tabs or line
// breaks.
std::string TrimBlanks(std::string_view text);
// True when the text is empty or holds blanks only.
bool IsBlank(std::string_view text);
std::string ReplaceAll(std::string text, const std::string& search, const std::string& replacement);
// A-Z to a-z, every other byte as it is (file extensions, patterns).
std::string LowerAscii(std::string text);

}  // namespace tarnwerk
