// The four-language string table (resources/strings.txt, compiled in).
#pragma once

#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "config/TextId.h"

namespace tarnwerk {

inline constexpr int kLanguageBaseGerman = 0;
inline constexpr int kLanguageBaseEnglish = 2000;
inline constexpr int kLanguageBaseDutch = 3000;
inline constexpr int kLanguageBaseFrench = 4000;

// The text of entry languageBase + id (UTF-8). Ids 1 to 4 are read without a base.
// A missing entry is an error of the table; it yields "" (a test proves none is missing).
std::string Text(int languageBase, TextId id);

// Whether the table holds the absolute entry number.
bool HasEntry(int absoluteId);

// All absolute entry numbers in the table, ascending (for the completeness test).
std::vector<int> AllEntries();

// The names of the [Names] block by German id (for the completeness test).
const std::map<int, std::string>& EntryNames();

// Several ids joined by CR LF, the way message boxes compose their prompts.
std::string JoinLines(int languageBase, std::span<const TextId> ids);
std::string JoinLines(int languageBase, std::initializer_list<TextId> ids);

// Lines of the table text that were malformed or defined an entry twice (empty when sound).
const std::vector<std::string>& StringTableProblems();

}  // namespace tarnwerk
