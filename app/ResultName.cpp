#include "app/ResultName.h"

#include <sys/stat.h>

#include <algorithm>

#include "base/Helpers.h"

namespace tarnwerk {

namespace {

// Far beyond what a folder holds by accident; the loop must end on a folder full of copies.
constexpr int kLastNumber = 9999;

bool NamesExtension(const FileFilter& entry, const std::string& extension) {
    const std::string patterns = ";" + LowerAscii(entry.patterns) + ";";
    return !extension.empty() && patterns.find(";*." + extension + ";") != std::string::npos;
}

}  // namespace

std::string ProposeResultName(const std::string& carrierPath, const std::function<bool(const std::string&)>& taken) {
    const size_t slash = carrierPath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = carrierPath.rfind('.');
    // A dot in a folder name, or the leading dot of a hidden file, starts no extension.
    if (dot == std::string::npos || dot <= nameStart) dot = carrierPath.size();
    const std::string stem = carrierPath.substr(0, dot);
    const std::string extension = carrierPath.substr(dot);
    const auto numbered = [&](int number) { return stem + "-" + std::to_string(number) + extension; };
    for (int number = 1; number <= kLastNumber; ++number) {
        if (!taken(numbered(number))) return numbered(number);
    }
    return numbered(1);
}

std::string ProposeResultName(const std::string& carrierPath) {
    return ProposeResultName(carrierPath, [](const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0;
    });
}

std::vector<FileFilter> ResultFilter(const std::vector<FileFilter>& carrierFilter, const std::string& carrierPath) {
    const std::string extension = LowerAscii(GetExtension(carrierPath));
    std::vector<FileFilter> ordered = carrierFilter;
    std::stable_partition(ordered.begin(), ordered.end(),
                          [&](const FileFilter& entry) { return NamesExtension(entry, extension); });
    return ordered;
}

}  // namespace tarnwerk
