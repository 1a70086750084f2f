#include "app/OutputTarget.h"

#include "app/WorkflowSteps.h"
#include "base/Helpers.h"

namespace tarnwerk {
std::string WithStoredExtension(const std::string& path, const std::string& stored) {
    if (stored.empty() || TrimBlanks(GetExtension(path)) == stored) return path;
    return path + "." + stored;
}

bool ResolveOutput(const ExtractRequest& request, TextId titleId, Prompter& prompter, ExtractOutcome& outcome) {
    outcome.storedExtension = StoredExtension(request.carrier);
    if (request.outputPath) {
        outcome.outputPath = *request.outputPath;
    } else {
        const std::string proposed = ProposedOutputPath(request.carrier.path, outcome.storedExtension);
        // Blanks at either end belong to the name.
        const std::string chosen = prompter.ChooseOutputFile(OutputChoice{titleId, outcome.storedExtension, proposed});
        if (chosen.empty()) {
            outcome.ending = Ending::Cancelled;
            return false;
        }
        outcome.outputPath = WithStoredExtension(chosen, outcome.storedExtension);
    }
    return AcceptOutputName(request.carrier.path, outcome.outputPath, outcome);
}

}  // namespace tarnwerk
