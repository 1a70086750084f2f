// Archives handed to the mail program. xdg-email returns as soon as it has passed the file on,
// and a running mail program reads the attachment when it likes (often only when the mail is
// sent), so a mailed archive is not deleted at once: it is listed beside the settings file and
// removed at a later start of the program, once a generous while has passed. The list's
// format: docs/mailed-archives.md.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwerk {

// How long a mailed archive stays at least, in seconds (a day).
inline constexpr int64_t kMailedArchiveGrace = 24 * 60 * 60;

// The list file beside the settings file.
std::string MailedArchivesPath(const std::string& iniPath);

// Lists the archive as handed over at now (seconds since the epoch), with its size and time
// of change. False when it could not be listed; the archive then simply stays.
bool RememberMailedArchive(const std::string& listPath, const std::string& archive, int64_t now);

// Deletes the listed archives handed over at least kMailedArchiveGrace before now, but only
// when the file is still the one that was mailed (same size and time of change); younger
// entries stay listed. Nothing is reported: this runs at start-up.
void RemoveMailedArchives(const std::string& listPath, int64_t now);

}  // namespace tarnwerk
