#include "base/Helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwerk {
namespace {

constexpr size_t kHexPairLength = 2;
constexpr char kFolderSeparator = '/';
constexpr char kExtensionMark = '.';

int HexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
}

// A pair read as a hexadecimal number: the value of its leading digits, 0 when none.
char HexPairValue(char high, char low) {
    const int first = HexDigitValue(high);
    if (first < 0) return 0;
    const int second = HexDigitValue(low);
    return static_cast<char>(second < 0 ? first : first * 16 + second);
}

}  // namespace

std::string StripNul(const std::string& text) {
    std::string stripped = text.substr(0, text.find('\0'));
    const size_t last = stripped.find_last_not_of(' ');
    stripped.erase(last == std::string::npos ? 0 : last + 1);
    return stripped;
}

bool FileExists(const std::string& path) {
    // The type test comes first so that opening a FIFO or device can never block.
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::string HexToBin(const std::string& hex) {
    std::string bytes;
    bytes.reserve(hex.size() / kHexPairLength);
    for (size_t i = 0; i + 1 < hex.size(); i += kHexPairLength) bytes.push_back(HexPairValue(hex[i], hex[i + 1]));
    return bytes;
}

std::string GetExtension(const std::string& path) {
    const std::string name = path.substr(path.rfind(kFolderSeparator) + 1);  // npos + 1 == 0
    const size_t mark = name.rfind(kExtensionMark);
    return mark == std::string::npos ? std::string() : name.substr(mark + 1);
}

std::string GetFileName(const std::string& path) {
    const size_t separator = path.rfind(kFolderSeparator);
    return separator == std::string::npos ? std::string() : path.substr(separator + 1);
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

std::string ReplaceAll(std::string text, const std::string& search, const std::string& replacement) {
    if (search.empty()) return text;
    // A replacement that holds the search text would be found again forever; such a call
    // gets a single pass from left to right instead.
    const bool singlePass = replacement.find(search) != std::string::npos;
    size_t from = 0;
    for (size_t at = text.find(search); at != std::string::npos; at = text.find(search, from)) {
        text.replace(at, search.size(), replacement);
        // Searching from the front every time, as the classic loop does, finds nothing
        // before this point: only a match overlapping the new text can have appeared.
        from = singlePass ? at + replacement.size() : (at >= search.size() - 1 ? at - (search.size() - 1) : 0);
    }
    return text;
}

}  // namespace tarnwerk
