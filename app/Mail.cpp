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
#include "base/FileIo.h"
#include "base/Helpers.h"

namespace tarnwerk {

namespace {

// Packs the carrier; "" when the user declined to touch an existing archive or packing failed
// (then the message is shown).
std::string PackCarrier(const Session& session, UserInterface& ui, const std::string& carrier) {
    const std::string archive = ArchiveNameFor(carrier);
    const bool existed = FileExists(archive);
    if (existed) {
        const Message question = MakeMessage(session, {TextId::ArchiveExistsText, TextId::OverwriteQuestion},
                                             MessageIcon::Exclamation, TextId::OverwriteTitle, MessageButtons::YesNo);
        if (ui.ShowMessage(question) != MessageAnswer::Yes) return {};
    }
    const std::string name = GetFileName(carrier).empty() ? carrier : GetFileName(carrier);
    const bool packed = AddFileToZip(archive, carrier, name, [&ui](int percent) { ui.SetProgress(percent); }).ok();
    ui.SetProgress(0);
    if (!packed) {
        ui.ShowMessage(MakeMessage(session, {TextId::ZipFailedText}, MessageIcon::Critical, TextId::ZipFailedTitle));
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
    const std::string carrier = session.fields.origFile;
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
        ui.ShowMessage(MakeMessage(session, {TextId::SendFailedText}, MessageIcon::Critical, TextId::SendFailedTitle));
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
