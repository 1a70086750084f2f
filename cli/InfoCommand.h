// Output of the info and size commands, as text and as JSON.
#pragma once

#include <string>

#include "app/Commands.h"
#include "app/Session.h"

namespace tarnwerk::cli {

// Loads the carrier (its refusal messages go to stderr) and prints its facts.
bool RunInfo(Commands& commands, Session& session, const std::string& carrier, bool json);

// {"needed":N,"prepared_size":n} for the last size calculation.
void PrintSizeJson(const Session& session);

}  // namespace tarnwerk::cli
