// Stopping a running command between two chunks of its work.
#pragma once

#include "base/Result.h"
#include "config/TextId.h"
#include "core/Progress.h"
#include "crypto/PayloadSeal.h"

namespace tarnwerk {

struct Session;
class UserInterface;

// Thrown between two chunks when the user pressed Cancel; the command's entry catches it. The
// engines it passes through own descriptors, scratch files and unfinished outputs by RAII, so
// unwinding deletes every scratch file and leaves every output as it was.
struct CommandCancelled {};

void ThrowIfCancelled(UserInterface& ui);

// Progress of a stage the user may stop: shows each report, then checks for Cancel.
ProgressFn CancellableProgress(UserInterface& ui);

// A seal's progress the user may stop; a key derivation (Argon2id) shows its own status text
// and a busy bar (it reports no progress and cannot be interrupted: Cancel takes effect right
// after it), then panel 0 shows statusTextId again.
SealCallbacks CancellableSealCallbacks(const Session& session, UserInterface& ui, TextId statusTextId);

}  // namespace tarnwerk
