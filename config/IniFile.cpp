#include "config/IniFile.h"

#include <cctype>

namespace tarnwerk {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// "[name]" gives name; anything else is not a section header.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
    const auto close = trimmed.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

bool IsKeyLine(std::string_view line, std::string_view key, std::string_view* value) {
    if (IsComment(line)) return false;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos || !EqualNoCase(Trim(line.substr(0, equals)), key)) return false;
    if (value) *value = Trim(line.substr(equals + 1));
    return true;
}

}  // namespace

IniText::IniText(std::string_view text) {
    lineEnd_ = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    endsWithLineEnd_ = text.empty() || text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.emplace_back(line);
        start = end + 1;
    }
}

std::optional<std::string> IniText::Find(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (const std::string& line : lines_) {
        if (const auto name = SectionName(line)) {
            inSection = EqualNoCase(*name, section);
            continue;
        }
        std::string_view value;
        if (inSection && IsKeyLine(line, key, &value)) return std::string(value);
    }
    return std::nullopt;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string newLine = std::string(key) + "=" + std::string(value);
    bool inSection = false;
    std::optional<std::size_t> insertAt;  // after the last non-blank line of the section
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = SectionName(lines_[i])) {
            if (inSection) break;
            inSection = EqualNoCase(*name, section);
            if (inSection) insertAt = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (IsKeyLine(lines_[i], key, nullptr)) {
            lines_[i] = std::move(newLine);
            return;
        }
        if (!Trim(lines_[i]).empty()) insertAt = i + 1;
    }
    if (insertAt) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insertAt), std::move(newLine));
        return;
    }
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(newLine));
    endsWithLineEnd_ = true;
}

std::string IniText::Text() const {
    std::string text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || endsWithLineEnd_) text += lineEnd_;
    }
    return text;
}

}  // namespace tarnwerk
