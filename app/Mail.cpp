// SendCarrier: pack when asked, compose the mail. With deleteArchive, an archive the mail
// program took is listed for removal at a later start (MailedArchives.h); one it did not take
// is deleted at once.
#include "app/Mail.h"

#include <cstdio>
#include <ctime>

#include "app/Desktop.h"
#include "app/MailedArchives.h"
#include "app/UseCases.h"
#include "app/Zip.h"
#include "base/FileIo.h"
#include "base/Helpers.h"

namespace tarnwerk {

namespace {

// Packs the carrier; "" when the user declined to touch an existing archive or packing failed
// (then the outcome says so).
std::string PackCarrier(const std::string& carrier, Prompter& prompter, ProgressSink& progress, Outcome& outcome) {
    const std::string archive = ArchiveNameFor(carrier);
    const bool existed = FileExists(archive);
    if (existed && !prompter.Confirm(Question::ReplaceArchive)) return {};
    const std::string name = GetFileName(carrier).empty() ? carrier : GetFileName(carrier);
    const bool packed =
        AddFileToZip(archive, carrier, name, [&progress](int percent) { progress.SetProgress(percent); }).ok();
    progress.SetProgress(0);
    if (!packed) {
        outcome.ending = Ending::Failed;
        outcome.notices.push_back(Notice::Say({TextId::ZipFailedText}, MessageIcon::Critical, TextId::ZipFailedTitle));
        // An archive that was there before is left intact by the zip writer and holds the
        // user's other entries; only a half-made new one goes.
        if (!existed && PathExists(archive)) std::remove(archive.c_str());
        return {};
    }
    return archive;
}

Notice SendFailed() { return Notice::Say({TextId::SendFailedText}, MessageIcon::Critical, TextId::SendFailedTitle); }

}  // namespace

std::string ArchiveNameFor(const std::string& carrierPath) {
    const std::string extension = GetExtension(carrierPath);
    if (extension.empty()) return carrierPath + ".zip";
    return carrierPath.substr(0, carrierPath.size() - extension.size() - 1) + ".zip";
}

Outcome SendCarrier(const MailRequest& request, Prompter& prompter, ProgressSink& progress, Desktop& desktop) {
    Outcome outcome;
    std::string attachment = request.carrierPath;
    if (request.pack) {
        attachment = PackCarrier(request.carrierPath, prompter, progress, outcome);
        if (attachment.empty()) return outcome;
        outcome.written.push_back(attachment);
    }
    const bool deleteArchive = request.deleteArchive && request.pack;
    // Only a hand-off that failed never reached a mail program: its archive goes at once.
    const auto ended = [late = request.lateNotice, attachment, deleteArchive](bool sent) {
        if (sent) return;
        if (late) late(SendFailed());
        if (deleteArchive && FileExists(attachment)) std::remove(attachment.c_str());
    };
    if (!desktop.ComposeMailWithAttachment(attachment, ended)) {
        outcome.ending = Ending::Failed;
        outcome.notices.push_back(SendFailed());
        if (deleteArchive && FileExists(attachment)) std::remove(attachment.c_str());
        return outcome;
    }
    // A mail program that runs already reads the attachment when it likes, even after
    // xdg-email has ended, so a started hand-off leaves the archive for a later start.
    if (deleteArchive && FileExists(attachment))
        (void)RememberMailedArchive(request.mailedArchivesList, attachment, std::time(nullptr));
    outcome.ending = Ending::Done;
    return outcome;
}

}  // namespace tarnwerk
