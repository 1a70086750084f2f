// Hide: prepare the payload beside the data file (compress, then encrypt; plain data is read
// where it lies), check that it fits, and let the engine write it into the carrier, or into a
// new file that leaves the carrier as it was.
#include <optional>

#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/PassphraseEntry.h"
#include "app/StealthSteps.h"
#include "app/UseCases.h"
#include "app/WorkflowSteps.h"
#include "base/Helpers.h"
#include "config/Codepage.h"
#include "core/CarrierAnalysis.h"
#include "core/HidePayload.h"
#include "core/PayloadFormat.h"

namespace tarnwerk {
namespace {

// The payload source and, when the data cannot be read where it lies, its scratch file.
bool PreparePayload(const HideRequest& request, ProgressSink& progress, Prompter& prompter,
                    std::optional<ScratchFile>& scratch, PayloadSource& source, HideOutcome& outcome) {
    const PayloadOptions& options = request.options;
    // Plain data is read where it lies; a scratch copy would only double the disk traffic.
    if (options.compress || options.encrypt || !CanReadDataInPlace(request.dataPath)) {
        scratch = PreparePlainPayload(request.dataPath, options.compress, progress, TextId::HideErrorText, outcome);
        if (!scratch) return false;
    }
    source.compressed = options.compress;
    source.encrypted = options.encrypt;
    if (options.encrypt) {
        PassphraseSecrets secrets;
        if (!AcceptPassphrase(prompter.AskNewPassphrase(), secrets, outcome)) return false;
        source.cipher = static_cast<uint8_t>(options.cipher);
        if (!EncryptPayload(*scratch, secrets.bytes, source, progress, TextId::HideErrorText, outcome)) return false;
    }
    source.path = scratch ? scratch->path() : request.dataPath;
    source.size = FileSize(source.path);
    outcome.payloadSize = source.size;
    return true;
}

// A carrier whose colour table a hide would break, in the terms of its own kind.
Notice ShortColourTableNotice(const CarrierFacts& carrier) {
    if (!carrier.IsPng()) return Notice::Engine(MakeError(ErrorCode::ShortColourTable));
    return Notice::Say({TextId::ShortPngPaletteText, TextId::ShortColourTableHint}, MessageIcon::Exclamation,
                       TextId::IncorrectFileTitle);
}

// A new file for the result must be one the next extraction reads as the carrier's kind, not
// the carrier itself, and an existing one is replaced only when the user agrees.
bool AcceptResultFile(const HideRequest& request, Prompter& prompter, HideOutcome& outcome) {
    const std::string& output = *request.outputPath;
    if (!ReadAlike(output, request.carrier.path)) {
        Notice notice = Notice::Say({TextId::ResultKindText}, MessageIcon::Exclamation);
        notice.detail = "." + GetExtension(request.carrier.path);
        Stop(outcome, Ending::Refused, notice);
        return false;
    }
    return AcceptOutputName(request.carrier.path, output, outcome) && MayReplaceOutput(prompter, output, outcome);
}

// The end of a hide that worked: the message, and the file that now holds the data.
void ReportHidden(const HideRequest& request, HideOutcome& outcome) {
    outcome.ending = Ending::Done;
    outcome.success = Notice::Say({TextId::HiddenText}, MessageIcon::Information);
    outcome.written.push_back(request.outputPath.value_or(request.carrier.path));
    if (!request.outputPath) return;
    outcome.success->lines.push_back(TextId::ResultSavedText);
    outcome.success->detail = *request.outputPath;
}

void HideSteps(const HideRequest& request, Prompter& prompter, ProgressSink& progress, HideOutcome& outcome) {
    if (request.outputPath && !AcceptResultFile(request, prompter, outcome)) return;
    const std::optional<std::string> extension = Utf8ToCp1252(request.extension);
    if (!extension) {
        Stop(outcome, Ending::Refused, Notice::Say({TextId::ExtensionCharsText}, MessageIcon::Exclamation));
        return;
    }
    // A short grey ramp suits the stealth method: its changes stay within the ramp.
    if (request.method == HidingMethod::Stealth) {
        if (StealthHideSteps(request, *extension, prompter, progress, outcome)) ReportHidden(request, outcome);
        return;
    }
    if (request.carrier.shortColourTable) {
        Stop(outcome, Ending::Refused, ShortColourTableNotice(request.carrier));
        return;
    }
    std::optional<ScratchFile> scratch;  // lives until the carrier is written
    PayloadSource source;
    source.extension = *extension;
    if (!PreparePayload(request, progress, prompter, scratch, source, outcome)) return;
    // Once the carrier is being written the write runs to its end: a half-written carrier
    // would hold neither the old nor the new payload.
    if (progress.CancelRequested()) {
        outcome.ending = Ending::Cancelled;
        return;
    }
    progress.SetCancellable(false);
    const Status hidden = HidePayload(
        request.carrier, request.options.bitsPerByte, source,
        [&progress](int percent) { progress.SetProgress(percent); }, request.outputPath.value_or(""));
    if (!hidden) {
        Stop(outcome, Ending::Failed, Notice::Engine(hidden.error()));
        return;
    }
    ReportHidden(request, outcome);
}

}  // namespace

HideOutcome Hide(const HideRequest& request, Prompter& prompter, ProgressSink& progress) {
    CommandFrame frame(progress, TextId::HidingStatus);
    HideOutcome outcome;
    HideSteps(request, prompter, progress, outcome);
    return outcome;
}

}  // namespace tarnwerk
