// Parser of the string-table text (resources/strings.txt): blocks with a base, one
// "id<TAB>text" entry per line, and a block "[Names]" naming the ids.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwerk {

struct StringTable {
    std::map<int, std::string> entries;  // absolute entry number -> UTF-8 text
    std::map<int, std::string> names;    // German id -> name of its TextId constant
    std::vector<std::string> problems;   // one line per malformed or duplicate entry
};

StringTable ParseStringTable(std::string_view source);

// The compiled-in text of resources/strings.txt.
std::string_view StringTableSource();

}  // namespace tarnwerk
