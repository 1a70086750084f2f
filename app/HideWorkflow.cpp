// Hide: prepare the payload beside the data file (compress, then encrypt; plain data is read
// where it lies), check that it fits, and let the engine write it into the carrier.
#include <optional>

#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/ResultName.h"
#include "app/Session.h"
#include "app/WorkflowSteps.h"
#include "app/Workflows.h"
#include "config/Codepage.h"
#include "config/Helpers.h"
#include "core/CarrierAnalysis.h"
#include "core/HidePayload.h"
#include "core/PayloadFormat.h"

namespace tarnwerk {
namespace {

constexpr int kHidingStatus = 311;
constexpr int kHideErrorText = 436;
constexpr int kHiddenText = 435;
constexpr int kExtensionCharsText = 468;
constexpr int kShortPaletteText = 633;
constexpr int kShortTableHint = 494;
constexpr int kIncorrectFileTitle = 407;
constexpr int kSaveResultTitle = 635;
constexpr int kResultSavedText = 637;
constexpr int kResultKindText = 640;
constexpr int kOtherOutputNameText = 471;

void ShowShortColourTable(const Session& session, UserInterface& ui, const CarrierFacts& carrier) {
    if (!carrier.IsPng()) {
        ui.ShowMessage(EngineErrorMessage(session, MakeError(ErrorCode::ShortColourTable)));
        return;
    }
    ui.ShowMessage(
        MakeMessage(session, {kShortPaletteText, kShortTableHint}, MessageIcon::Exclamation, kIncorrectFileTitle));
}

// Where the result goes: "" into the carrier; a new file named by the caller or, with the
// original to be kept, chosen in a save dialog. nullopt: cancelled, or refused with a message
// (a carrier whose colour table a hide would break, a name that cannot take the result).
std::optional<std::string> ChooseResultFile(Session& session, UserInterface& ui, const CarrierFacts& carrier) {
    if (carrier.shortColourTable) {
        ShowShortColourTable(session, ui, carrier);
        return std::nullopt;
    }
    std::string output = session.hideOutput;
    if (output.empty() && session.settings.KeepOriginal == 1) {
        const std::optional<std::string> chosen =
            ui.ChooseOutputFile(ResultFilter(session.carrierFilter, carrier.path), session.Text(kSaveResultTitle),
                                ProposeResultName(carrier.path));
        if (!chosen || StripNul(*chosen).empty()) return std::nullopt;
        output = StripNul(*chosen);
    }
    if (output.empty()) return output;
    // A PNG named .bmp (or the like) would be refused by the next extraction.
    if (!ReadAlike(output, carrier.path)) {
        ui.ShowMessage(Message{session.Text(kResultKindText) + " ." + GetExtension(carrier.path) + "\r\n" +
                                   session.Text(kOtherOutputNameText),
                               MessageIcon::Exclamation, MessageButtons::Ok, kProductName});
        return std::nullopt;
    }
    if (!AcceptOutputName(session, ui, output) || !MayReplaceOutput(session, ui, output)) return std::nullopt;
    return output;
}

bool HideSteps(Commands& commands, Session& session, UserInterface& ui) {
    if (!EnsureCarrier(commands, session) || !EnsureDataFile(commands, session)) return false;
    // The command works on the carrier as it was when it started, whatever the window does meanwhile.
    const CarrierFacts carrier = session.carrier;
    session.resultPath.clear();
    const std::optional<std::string> output = ChooseResultFile(session, ui, carrier);
    if (!output) return false;
    const std::string dataPath = DataPath(session);
    ShowDataFileInfoOrigSize(session, dataPath);
    ui.FieldsChanged();

    const std::optional<std::string> extension = Utf8ToCp1252(session.dataExtension);
    if (!extension) {
        ui.ShowMessage(MakeProductMessage(session, {kExtensionCharsText}, MessageIcon::Exclamation));
        return false;
    }
    const bool compressed = session.settings.Compression == 1;
    const bool encrypted = session.settings.Encryption == 1;
    // Plain data is read where it lies; a scratch copy would only double the disk traffic.
    std::optional<ScratchFile> scratch;
    if (compressed || encrypted || !CanReadDataInPlace(dataPath)) {
        scratch = PreparePlainPayload(session, ui, dataPath, kHideErrorText);
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
        if (!EncryptPayload(session, ui, *scratch, secrets.bytes, source, kHideErrorText)) return false;
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
    const Status hidden = HidePayload(
        carrier, session.bitsPerByte, source, [&ui](int percent) { ui.SetProgress(percent); }, *output);
    if (!hidden) {
        ui.ShowMessage(EngineErrorMessage(session, hidden.error()));
        return false;
    }
    session.resultPath = *output;

    // Hide-and-send mails the carrier (or the new file) next; the reset follows the mail.
    const std::string savedAs = output->empty() ? "" : session.Text(kResultSavedText) + "\r\n" + *output;
    EndWithSuccess(commands, session, ui, kHiddenText, !session.mailAfterHide, savedAs);
    session.mailAfterHide = false;
    return true;
}

}  // namespace

bool RunHide(Commands& commands, Session& session, UserInterface& ui) {
    CommandFrame frame(session, ui, kHidingStatus);
    // The scratch files live inside HideSteps, so they are gone before the frame closes.
    return frame.Run([&] { return HideSteps(commands, session, ui); });
}

}  // namespace tarnwerk
