#include "config/StringTable.h"

#include <charconv>

namespace tarnwerk {
namespace {

constexpr char kCommentMark = '#';
constexpr char kBlockOpen = '[';
constexpr char kBlockClose = ']';
constexpr char kEntrySeparator = '\t';
constexpr std::string_view kNamesBlock = "[Names]";

struct Parser {
    StringTable table;
    int base = 0;
    bool inBlock = false;
    bool inNames = false;
    int lineNumber = 0;

    void Problem(const std::string& what) {
        table.problems.push_back("line " + std::to_string(lineNumber) + ": " + what);
    }

    static bool ParseNumber(std::string_view text, int& number) {
        if (text.empty()) return false;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        return error == std::errc() && end == text.data() + text.size();
    }

    // "[Name base]"
    void Block(std::string_view line) {
        inNames = line == kNamesBlock;
        if (inNames) return;
        const size_t space = line.rfind(' ');
        if (line.back() != kBlockClose || space == std::string_view::npos) {
            Problem("block header is not \"[Name base]\"");
            return;
        }
        int newBase = 0;
        if (!ParseNumber(line.substr(space + 1, line.size() - space - 2), newBase) || newBase < 0) {
            Problem("block base is not a number");
            return;
        }
        base = newBase;
        inBlock = true;
    }

    void Entry(std::string_view line) {
        const size_t tab = line.find(kEntrySeparator);
        int id = 0;
        if (tab == std::string_view::npos || !ParseNumber(line.substr(0, tab), id) || id <= 0) {
            Problem("entry is not \"id<TAB>text\"");
            return;
        }
        if (inNames) {
            Name(id, line.substr(tab + 1));
            return;
        }
        if (!inBlock) {
            Problem("entry before the first block");
            return;
        }
        const auto [where, inserted] = table.entries.emplace(base + id, std::string(line.substr(tab + 1)));
        if (!inserted) Problem("entry " + std::to_string(where->first) + " is defined twice");
    }

    static bool IsIdentifier(std::string_view name) {
        const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (name.empty() || !letter(name.front())) return false;
        for (const char c : name) {
            if (!letter(c) && !digit(c)) return false;
        }
        return true;
    }

    // "id<TAB>Name" of the names block: the constant the code refers to the entry by.
    void Name(int id, std::string_view name) {
        if (!IsIdentifier(name)) {
            Problem("name \"" + std::string(name) + "\" is not an identifier");
            return;
        }
        for (const auto& [otherId, otherName] : table.names) {
            if (otherName != name) continue;
            Problem("name " + otherName + " is given twice");
            return;
        }
        if (!table.names.emplace(id, std::string(name)).second) Problem("id " + std::to_string(id) + " is named twice");
    }

    void Line(std::string_view line) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // edited on Windows
        if (line.empty() || line.front() == kCommentMark) return;
        if (line.front() == kBlockOpen) {
            Block(line);
        } else {
            Entry(line);
        }
    }
};

}  // namespace

StringTable ParseStringTable(std::string_view source) {
    Parser parser;
    // Editors that save UTF-8 with a byte-order mark would otherwise hide the first line.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (source.substr(0, kByteOrderMark.size()) == kByteOrderMark) source.remove_prefix(kByteOrderMark.size());
    while (!source.empty()) {
        const size_t end = source.find('\n');
        parser.Line(source.substr(0, end));
        source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
    }
    return std::move(parser.table);
}

}  // namespace tarnwerk
