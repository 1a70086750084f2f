#include "app/MailedArchives.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "base/FileIo.h"

namespace tarnwerk {

namespace {

constexpr const char* kListName = "mailed-archives.txt";
constexpr const char* kFirstLine = "tarnwerk-mailed-archives 1";
constexpr int64_t kMaxListBytes = int64_t{1} << 20;
constexpr unsigned kListMode = 0600;  // the paths are the user's own business
constexpr int64_t kNanosPerSecond = 1000000000;

struct Entry {
    int64_t handedOver = 0;
    int64_t size = 0;
    int64_t changedNs = 0;  // time of last modification, nanoseconds
    std::string path;
};

bool Describe(const std::string& path, int64_t& size, int64_t& changedNs) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size = info.st_size;
    changedNs = int64_t{info.st_mtim.tv_sec} * kNanosPerSecond + info.st_mtim.tv_nsec;
    return true;
}

// Entries of a list in the known version; anything else reads as no entries.
std::vector<Entry> ReadList(const std::string& listPath) {
    std::vector<Entry> entries;
    auto bytes = ReadWholeFile(listPath, kMaxListBytes);
    if (!bytes) return entries;
    std::istringstream in(std::string(bytes->begin(), bytes->end()));
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine) return entries;
    while (std::getline(in, line)) {
        Entry entry;
        std::istringstream fields(line);
        if (fields >> entry.handedOver >> entry.size >> entry.changedNs && fields.get() == '\t' &&
            std::getline(fields, entry.path) && !entry.path.empty())
            entries.push_back(entry);
    }
    return entries;
}

bool WriteList(const std::string& listPath, const std::vector<Entry>& entries) {
    if (entries.empty()) return ::unlink(listPath.c_str()) == 0 || !PathExists(listPath);
    std::string text = std::string(kFirstLine) + "\n";
    for (const Entry& e : entries)
        text += std::to_string(e.handedOver) + "\t" + std::to_string(e.size) + "\t" + std::to_string(e.changedNs) +
                "\t" + e.path + "\n";
    const auto* data = reinterpret_cast<const uint8_t*>(text.data());
    return ReplaceFileWith(listPath, {std::span<const uint8_t>(data, text.size())}, kListMode).ok();
}

}  // namespace

std::string MailedArchivesPath(const std::string& iniPath) {
    const size_t slash = iniPath.rfind('/');
    return (slash == std::string::npos ? std::string() : iniPath.substr(0, slash + 1)) + kListName;
}

bool RememberMailedArchive(const std::string& listPath, const std::string& archive, int64_t now) {
    Entry entry{now, 0, 0, archive};
    // One entry a line: a name with a line break cannot be listed (and is kept).
    if (archive.empty() || archive.find('\n') != std::string::npos) return false;
    if (!Describe(archive, entry.size, entry.changedNs)) return false;
    std::vector<Entry> entries = ReadList(listPath);
    entries.push_back(entry);
    return WriteList(listPath, entries);
}

void RemoveMailedArchives(const std::string& listPath, int64_t now) {
    const std::vector<Entry> entries = ReadList(listPath);
    if (entries.empty()) return;
    std::vector<Entry> waiting;
    for (const Entry& e : entries) {
        if (now - e.handedOver < kMailedArchiveGrace) {
            waiting.push_back(e);
            continue;
        }
        int64_t size = 0, changedNs = 0;
        if (Describe(e.path, size, changedNs) && size == e.size && changedNs == e.changedNs)
            std::remove(e.path.c_str());
    }
    if (waiting.size() != entries.size()) (void)WriteList(listPath, waiting);
}

}  // namespace tarnwerk
