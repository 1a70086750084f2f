// Export: the raw low-bit stream of the whole carrier area, without markers, passphrase or
// decompression.
#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "app/WorkflowSteps.h"
#include "app/Workflows.h"
#include "core/ExtractPayload.h"

namespace tarnwerk {
namespace {

bool ExportSteps(Commands& commands, Session& session, UserInterface& ui) {
    if (!EnsureCarrier(commands, session) || !EnsureOutputFile(commands, session, ui, TextId::ExportOutputTitle))
        return false;
    const std::string output = DataPath(session);
    if (!AcceptOutputName(session, ui, output) || !MayReplaceOutput(session, ui, output)) return false;
    ui.SetProgress(0);

    Result<int64_t> exported =
        ExportPayload(session.carrier, session.bitsPerByte, output, CancellableProgress(ui));
    if (!exported) {
        ui.ShowMessage(EngineErrorMessage(session, exported.error()));
        return false;
    }
    ShowDataFileInfoSize(session, output);
    ShowDataFileInfoOrigSize(session, output);
    ui.FieldsChanged();
    EndWithSuccess(commands, session, ui, TextId::ExportedText);
    return true;
}

}  // namespace

bool RunExport(Commands& commands, Session& session, UserInterface& ui) {
    CommandFrame frame(session, ui, TextId::ExportingStatus);
    return frame.Run([&] { return ExportSteps(commands, session, ui); });
}

}  // namespace tarnwerk
