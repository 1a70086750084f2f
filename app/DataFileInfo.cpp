#include "app/DataFileInfo.h"

#include <sys/stat.h>

#include <cstdint>

#include "app/Session.h"
#include "base/Helpers.h"
#include "config/NumberFormat.h"

namespace tarnwerk {

namespace {

std::string SizeText(const Session& session, int64_t size) {
    return FormatHashGroupZero(size, session.languageBase) + " " + session.Text(TextId::ByteUnit);
}

// A missing or unreadable file shows 0, as the window always did.
int64_t ReadableFileSize(const std::string& path) {
    struct stat info {};
    if (FileExists(path) && ::stat(path.c_str(), &info) == 0) return static_cast<int64_t>(info.st_size);
    return 0;
}

}  // namespace

void ShowDataFileInfoOrigSize(Session& session, const std::string& path) {
    session.fields.dOrigSize = SizeText(session, ReadableFileSize(path));
}

void ShowDataFileInfoSize(Session& session, const std::string& path) {
    ShowDataFileInfoSize(session, ReadableFileSize(path));
}

void ShowDataFileInfoSize(Session& session, int64_t size) {
    session.fields.dSize = SizeText(session, size);
    session.fields.dSizeBytes = size;
}

void RewriteDataFileInfo(Session& session) {
    if (!session.fields.dOrigSize.empty()) ShowDataFileInfoOrigSize(session, session.fields.dataFile);
    if (!session.fields.dSize.empty()) ShowDataFileInfoSize(session, session.fields.dSizeBytes);
}

}  // namespace tarnwerk
