// The hide and extract use cases' steps for the stealth method: judge the carrier, prepare the
// data, ask before going above the recommended room, ask for the passphrase, and let the core
// hide or read. Nothing is written unless the whole command succeeds.
#pragma once

#include <string>

#include "app/UseCases.h"

namespace tarnwerk {

// Hides the request's data file with the stealth method, into its carrier or the new file it
// names; true when hidden (the caller reports it). Extension in the
// single-byte code page.
bool StealthHideSteps(const HideRequest& request, const std::string& extension, Prompter& prompter,
                      ProgressSink& progress, HideOutcome& outcome);

enum class StealthExtraction {
    NotTried,  // the carrier cannot carry stealth data, or its passphrase was declined at once
               // after the classic probe: the outcome is untouched, the probe's answer stands
    Ended,     // the outcome says how
};

// Asks for the passphrase of stealth data (three tries) and writes the data to the resolved
// output (outcome.outputPath).
StealthExtraction StealthExtractSteps(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress,
                                      ExtractOutcome& outcome);

}  // namespace tarnwerk
