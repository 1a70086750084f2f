#include "config/Strings.h"

#include "config/StringTable.h"

namespace tarnwerk {
namespace {

// The language names are shown each in its own language, whatever the current one.
constexpr int kFirstFixedId = static_cast<int>(TextId::GermanLanguageName);
constexpr int kLastFixedId = static_cast<int>(TextId::FrenchLanguageName);
constexpr const char* kLineBreak = "\r\n";

// Parsed once; the table is a constant of the program, never changed after start.
const StringTable& Table() {
    static const StringTable table = ParseStringTable(StringTableSource());
    return table;
}

}  // namespace

std::string Text(int languageBase, TextId name) {
    const int id = static_cast<int>(name);
    const bool fixed = id >= kFirstFixedId && id <= kLastFixedId;
    const auto& entries = Table().entries;
    const auto found = entries.find(fixed ? id : languageBase + id);
    return found == entries.end() ? std::string() : found->second;
}

bool HasEntry(int absoluteId) { return Table().entries.count(absoluteId) != 0; }

std::vector<int> AllEntries() {
    std::vector<int> ids;
    ids.reserve(Table().entries.size());
    for (const auto& entry : Table().entries) ids.push_back(entry.first);
    return ids;
}

std::string JoinLines(int languageBase, std::initializer_list<TextId> ids) {
    return JoinLines(languageBase, std::span<const TextId>(ids.begin(), ids.size()));
}

std::string JoinLines(int languageBase, std::span<const TextId> ids) {
    std::string joined;
    bool first = true;
    for (const TextId id : ids) {
        if (!first) joined += kLineBreak;
        joined += Text(languageBase, id);
        first = false;
    }
    return joined;
}

const std::map<int, std::string>& EntryNames() { return Table().names; }

const std::vector<std::string>& StringTableProblems() { return Table().problems; }

}  // namespace tarnwerk
