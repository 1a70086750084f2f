#include "app/PassphraseRules.h"

#include <string_view>

#include "app/Messages.h"
#include "app/Session.h"
#include "base/Utf8.h"

namespace tarnwerk {

namespace {

constexpr std::size_t kMinimumLength = 3;

struct CharacterClass {
    std::u32string_view characters;
    int factor;
};

// Binary comparison: the classes are exact code points, case matters.
constexpr CharacterClass kClasses[] = {
    {U"abcdefghijklmnopqrstuvwxyz\u00FC\u00F6\u00E4", 2},
    {U"ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00DC\u00D6\u00C4", 3},
    {U"1234567890", 4},
    {U",.-;:_+*~#'\u00B5<>\u00B0!\u00A7$%&/()=? \u00B2\u00B3{[]}\\", 5},
};

// Text that is not UTF-8 counts byte for byte, as the code page would read it.
std::u32string Characters(const std::string& text) {
    if (auto decoded = DecodeUtf8(text)) return *decoded;
    std::u32string bytes;
    for (unsigned char c : text) bytes.push_back(c);
    return bytes;
}

std::size_t TrimmedLength(const std::string& text) {
    const std::u32string chars = Characters(text);
    const auto first = chars.find_first_not_of(U' ');
    if (first == std::u32string::npos) return 0;
    const auto last = chars.find_last_not_of(U' ');
    return last - first + 1;
}

}  // namespace

std::optional<Message> CheckPassphrase(int languageBase, const std::string& passphrase) {
    if (TrimmedLength(passphrase) >= kMinimumLength) return std::nullopt;
    Session texts;
    texts.languageBase = languageBase;
    return MakeMessage(texts, {TextId::PassphraseTooShortText, TextId::PassphraseTooShortHint},
                       MessageIcon::Exclamation, TextId::InvalidPassphraseTitle);
}

std::optional<Message> CheckNewPassphrase(int languageBase, const std::string& first, const std::string& second) {
    if (auto tooShort = CheckPassphrase(languageBase, first)) return tooShort;
    if (first == second) return std::nullopt;
    Session texts;
    texts.languageBase = languageBase;
    return MakeMessage(texts, {TextId::PassphrasesDifferText, TextId::PassphrasesDifferHint}, MessageIcon::Exclamation,
                       TextId::InvalidPassphraseTitle);
}

int PassphraseQuality(const std::string& utf8) {
    const std::u32string chars = Characters(utf8);
    int score = static_cast<int>(chars.size());
    for (const CharacterClass& cls : kClasses) {
        bool present = false;
        for (char32_t c : chars) present = present || cls.characters.find(c) != std::u32string_view::npos;
        if (present) score *= cls.factor;
    }
    return score;
}

}  // namespace tarnwerk
