// The sectioned key=value text the settings live in, parsed into lines so that one key can be
// changed without touching any other line (comments, other sections, unknown keys, order).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwerk {

class IniText {
public:
    explicit IniText(std::string_view text);

    // The trimmed value of key in [section]; section and key match without regard to case,
    // as the classic profile functions do. nullopt when section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // Replaces the key's line, or adds it at the end of its section (the section at the end
    // of the text when it is missing).
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

private:
    std::vector<std::string> lines_;  // without their line ends
    std::string lineEnd_;             // the file's own convention, kept on rewrite
    bool endsWithLineEnd_ = true;
};

}  // namespace tarnwerk
