// Hide: prepare the payload beside the data file (compress, then encrypt; plain data is read
// where it lies), check that it fits, and let the engine write it into the carrier.
#include <optional>

#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/PassphraseEntry.h"
#include "app/StealthSteps.h"
#include "app/UseCases.h"
#include "app/WorkflowSteps.h"
#include "config/Codepage.h"
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

void HideSteps(const HideRequest& request, Prompter& prompter, ProgressSink& progress, HideOutcome& outcome) {
    const std::optional<std::string> extension = Utf8ToCp1252(request.extension);
    if (!extension) {
        Stop(outcome, Ending::Refused, Notice::Say({TextId::ExtensionCharsText}, MessageIcon::Exclamation));
        return;
    }
    // A short grey ramp suits the stealth method: its changes stay within the ramp.
    if (request.method == HidingMethod::Stealth) {
        StealthHideSteps(request, *extension, prompter, progress, outcome);
        return;
    }
    if (request.carrier.shortColourTable) {
        Stop(outcome, Ending::Refused, Notice::Engine(MakeError(ErrorCode::ShortColourTable)));
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
    const Status hidden = HidePayload(request.carrier, request.options.bitsPerByte, source,
                                      [&progress](int percent) { progress.SetProgress(percent); });
    if (!hidden) {
        Stop(outcome, Ending::Failed, Notice::Engine(hidden.error()));
        return;
    }
    outcome.ending = Ending::Done;
    outcome.success = Notice::Say({TextId::HiddenText}, MessageIcon::Information);
    outcome.written.push_back(request.carrier.path);
}

}  // namespace

HideOutcome Hide(const HideRequest& request, Prompter& prompter, ProgressSink& progress) {
    CommandFrame frame(progress, TextId::HidingStatus);
    HideOutcome outcome;
    HideSteps(request, prompter, progress, outcome);
    return outcome;
}

}  // namespace tarnwerk
