// Output of the info and size commands, as text and as JSON.
#pragma once

#include "app/UseCases.h"
#include "core/CarrierAnalysis.h"

namespace tarnwerk::cli {

// The carrier's type, size and free room under the options, as the window shows them; or its
// facts and the free room at every depth as JSON.
void PrintInfo(const CarrierAnalysis& analysis, int languageBase, const PayloadOptions& options, bool json);

// {"needed":N,"prepared_size":n} of a size calculation.
void PrintSizeJson(const SizeOutcome& outcome);

}  // namespace tarnwerk::cli
