// Hide: prepare the payload beside the data file (compress, then encrypt; plain data is read
// where it lies), check that it fits, and let the engine write it into the carrier.
#include <optional>

#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/Session.h"
#include "app/StealthSteps.h"
#include "app/WorkflowSteps.h"
#include "app/Workflows.h"
#include "config/Codepage.h"
#include "core/HidePayload.h"
#include "core/PayloadFormat.h"

namespace tarnwerk {
namespace {

bool HideSteps(Commands& commands, Session& session, UserInterface& ui) {
    if (!EnsureCarrier(commands, session) || !EnsureDataFile(commands, session)) return false;
    // The command works on the carrier as it was when it started, whatever the window does meanwhile.
    const CarrierFacts carrier = session.carrier;
    const std::string dataPath = DataPath(session);
    ShowDataFileInfoOrigSize(session, dataPath);
    ui.FieldsChanged();

    const std::optional<std::string> extension = Utf8ToCp1252(session.dataExtension);
    if (!extension) {
        ui.ShowMessage(MakeProductMessage(session, {TextId::ExtensionCharsText}, MessageIcon::Exclamation));
        return false;
    }
    // A short grey ramp suits the stealth method: its changes stay within the ramp.
    if (session.settings.Method == static_cast<uint8_t>(HidingMethod::Stealth))
        return StealthHideSteps(commands, session, ui, dataPath, *extension);
    if (carrier.shortColourTable) {
        ui.ShowMessage(EngineErrorMessage(session, MakeError(ErrorCode::ShortColourTable)));
        return false;
    }
    const bool compressed = session.settings.Compression == 1;
    const bool encrypted = session.settings.Encryption == 1;
    // Plain data is read where it lies; a scratch copy would only double the disk traffic.
    std::optional<ScratchFile> scratch;
    if (compressed || encrypted || !CanReadDataInPlace(dataPath)) {
        scratch = PreparePlainPayload(session, ui, dataPath, TextId::HideErrorText);
        if (!scratch) return false;
    }
    PayloadSource source;
    source.compressed = compressed;
    source.encrypted = encrypted;
    source.extension = *extension;
    if (encrypted) {
        PassphraseSecrets secrets;
        if (!AcceptPassphrase(session, ui, ui.AskNewPassphrase(), secrets)) return false;
        source.cipher = session.settings.Algorithmus;
        if (!EncryptPayload(session, ui, *scratch, secrets.bytes, source, TextId::HideErrorText)) return false;
    }

    const std::string payloadPath = scratch ? scratch->path() : dataPath;
    ShowDataFileInfoSize(session, payloadPath);
    ui.FieldsChanged();
    source.size = FileSize(payloadPath);
    source.path = payloadPath;
    session.payloadSize = source.size;
    // Once the carrier is being written the write runs to its end: a half-written carrier
    // would hold neither the old nor the new payload.
    ThrowIfCancelled(ui);
    ui.SetCancellable(false);
    const Status hidden =
        HidePayload(carrier, session.bitsPerByte, source, [&ui](int percent) { ui.SetProgress(percent); });
    if (!hidden) {
        ui.ShowMessage(EngineErrorMessage(session, hidden.error()));
        return false;
    }

    // Hide-and-send mails the carrier next; the reset follows the mail.
    EndWithSuccess(commands, session, ui, TextId::HiddenText, !session.mailAfterHide);
    session.mailAfterHide = false;
    return true;
}

}  // namespace

bool RunHide(Commands& commands, Session& session, UserInterface& ui) {
    CommandFrame frame(session, ui, TextId::HidingStatus);
    // The scratch files live inside HideSteps, so they are gone before the frame closes.
    return frame.Run([&] { return HideSteps(commands, session, ui); });
}

}  // namespace tarnwerk
