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
    const std::string carrier = session.fields.origFile;
    const bool pack = session.settings.SendCompress == 1;
    std::string attachment = carrier;
    if (pack) {
        attachment = PackCarrier(session, ui, carrier);
        if (attachment.empty()) return false;
    }
    const bool sent = desktop.ComposeMailWithAttachment(attachment);
    if (sent) {
        if (session.settings.ResetOnEnd == 1) commands.Reset();
    } else {
        ui.ShowMessage(MakeMessage(session, {kSendFailedText}, MessageIcon::Critical, kSendFailedTitle));
    }
    if (session.settings.SendDelete == 1 && pack && FileExists(attachment)) {
        // The mail program may read the attachment long after the hand-off returned.
        if (sent) {
            (void)RememberMailedArchive(MailedArchivesPath(session.iniPath), attachment, std::time(nullptr));
        } else {
            std::remove(attachment.c_str());
        }
    }
    return sent;
}

}  // namespace tarnwerk
