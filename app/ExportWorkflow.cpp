// Export: the raw low-bit stream of the whole carrier area, without markers, passphrase or
// decompression.
#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/OutputTarget.h"
#include "app/UseCases.h"
#include "app/WorkflowSteps.h"
#include "core/ExtractPayload.h"

namespace tarnwerk {
namespace {

void ExportSteps(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress, ExtractOutcome& outcome) {
    if (!ResolveOutput(request, TextId::ExportOutputTitle, prompter, outcome)) return;
    if (!MayReplaceOutput(prompter, outcome.outputPath, outcome)) return;
    progress.SetProgress(0);
    Result<int64_t> exported = StopOnCancel([&] {
        return ExportPayload(request.carrier, request.bitsPerByte, outcome.outputPath, CancellableProgress(progress));
    });
    if (!exported) {
        StopOn(outcome, exported.error(), Notice::Engine(exported.error()));
        return;
    }
    outcome.ending = Ending::Done;
    outcome.storedSize = FileSize(outcome.outputPath);
    outcome.written.push_back(outcome.outputPath);
    outcome.success = Notice::Say({TextId::ExportedText}, MessageIcon::Information);
}

}  // namespace

ExtractOutcome Export(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress) {
    CommandFrame frame(progress, TextId::ExportingStatus);
    ExtractOutcome outcome;
    ExportSteps(request, prompter, progress, outcome);
    return outcome;
}

}  // namespace tarnwerk
