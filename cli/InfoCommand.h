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

// Smallest picture area the hide accepts for a prepared payload of this size.
int64_t NeededCarrierBytes(int64_t preparedSize, int bitsPerByte, bool encryption);

}  // namespace tarnwerk::cli
