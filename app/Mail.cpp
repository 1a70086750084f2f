#include "app/Mail.h"

#include <cstdio>
#include <ctime>

#include "app/Commands.h"
#include "app/Desktop.h"
#include "app/MailedArchives.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "app/Zip.h"
#include "config/FileIo.h"
#include "config/Helpers.h"

namespace tarnwerk {

namespace {

constexpr int kArchiveExistsText = 456;
constexpr int kOverwriteQuestion = 442;
constexpr int kOverwriteTitle = 443;
constexpr int kZipFailedText = 452;
constexpr int kZipFailedTitle = 453;
constexpr int kSendFailedText = 454;
constexpr int kSendFailedTitle = 455;

// Packs the carrier; "" when the user declined to touch an existing archive or packing failed
// (then the message is shown).
std::string PackCarrier(const Session& session, UserInterface& ui, const std::string& carrier) {
    const std::string archive = ArchiveNameFor(carrier);
    const bool existed = FileExists(archive);
    if (existed) {
        const Message question = MakeMessage(session, {kArchiveExistsText, kOverwriteQuestion},
                                             MessageIcon::Exclamation, kOverwriteTitle, MessageButtons::YesNo);
        if (ui.ShowMessage(question) != MessageAnswer::Yes) return {};
    }
    const std::string name = GetFileName(carrier).empty() ? carrier : GetFileName(carrier);
    const bool packed = AddFileToZip(archive, carrier, name, [&ui](int percent) { ui.SetProgress(percent); }).ok();
    ui.SetProgress(0);
    if (!packed) {
        ui.ShowMessage(MakeMessage(session, {kZipFailedText}, MessageIcon::Critical, kZipFailedTitle));
        // An archive that was there before is left intact by the zip writer and holds the
        // user's other entries; only a half-made new one goes.
        if (!existed && PathExists(archive)) std::remove(archive.c_str());
        return {};
    }
    return archive;
}

}  // namespace

std::string ArchiveNameFor(const std::string& carrierPath) {
    const std::string extension = GetExtension(carrierPath);
    if (extension.empty()) return carrierPath + ".zip";
    return carrierPath.substr(0, carrierPath.size() - extension.size() - 1) + ".zip";
}

bool MailCarrier(Commands& commands, Session& session, UserInterface& ui, Desktop& desktop) {
    // After a hide into a new file, that file is what the user means to send.
    const std::string carrier = session.resultPath.empty() ? session.fields.origFile : session.resultPath;
    const bool pack = session.settings.SendCompress == 1;
    std::string attachment = carrier;
    if (pack) {
        attachment = PackCarrier(session, ui, carrier);
        if (attachment.empty()) return false;
    }
    const bool deleteArchive = session.settings.SendDelete == 1 && pack;
    // Only a hand-off that failed never reached a mail program: its archive goes at once.
    const auto ended = [&session, &ui, attachment, deleteArchive](bool sent) {
        if (sent) return;
        ui.ShowMessage(MakeMessage(session, {kSendFailedText}, MessageIcon::Critical, kSendFailedTitle));
        if (deleteArchive && FileExists(attachment)) std::remove(attachment.c_str());
    };
    if (!desktop.ComposeMailWithAttachment(attachment, ended)) {
        ended(false);
        return false;
    }
    // A mail program that runs already reads the attachment when it likes, even after
    // xdg-email has ended, so a started hand-off leaves the archive for a later start.
    if (deleteArchive && FileExists(attachment)) {
        (void)RememberMailedArchive(MailedArchivesPath(session.iniPath), attachment, std::time(nullptr));
    }
    if (session.settings.ResetOnEnd == 1) commands.Reset();
    return true;
}

}  // namespace tarnwerk
