#include "app/DataFileInfo.h"

#include <sys/stat.h>

#include <cstdint>

#include "app/Session.h"
#include "config/Helpers.h"
#include "config/NumberFormat.h"

namespace tarnwerk {

namespace {

constexpr int kByteUnit = 305;

// A missing or unreadable file shows 0, as the window always did.
std::string SizeText(const Session& session, const std::string& path) {
    int64_t size = 0;
    struct stat info {};
    if (FileExists(path) && ::stat(path.c_str(), &info) == 0) size = static_cast<int64_t>(info.st_size);
    return FormatHashGroupZero(size) + " " + session.Text(kByteUnit);
}

}  // namespace

void ShowDataFileInfoOrigSize(Session& session, const std::string& path) {
    session.fields.dOrigSize = SizeText(session, path);
}

void ShowDataFileInfoSize(Session& session, const std::string& path) { session.fields.dSize = SizeText(session, path); }

}  // namespace tarnwerk
