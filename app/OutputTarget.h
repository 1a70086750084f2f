// The output file of extract and export, resolved before anything is written.
#pragma once

#include "app/UseCases.h"

namespace tarnwerk {

// A name chosen in a dialog gets the stored extension appended unless it has it already.
std::string WithStoredExtension(const std::string& path, const std::string& stored);

// Sets outcome.storedExtension and outcome.outputPath: the request's path as given, or the
// prompter's choice (titleId) proposing the stored extension beside the carrier, with that
// extension appended when the chosen name lacks it. Then refuses the carrier itself and
// nodes that are no regular file. False (outcome ended) when there is no usable output.
bool ResolveOutput(const ExtractRequest& request, TextId titleId, Prompter& prompter, ExtractOutcome& outcome);

}  // namespace tarnwerk
