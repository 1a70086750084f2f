// Stopping a running command between two chunks of its work.
#pragma once

#include "config/Result.h"
#include "core/Progress.h"

namespace tarnwerk {

struct Session;
class UserInterface;
class clsXChaCha20;

// Thrown between two chunks when the user pressed Cancel; the command's entry catches it. The
// engines it passes through own descriptors, scratch files and unfinished outputs by RAII, so
// unwinding deletes every scratch file and leaves every output as it was.
struct CommandCancelled {};

void ThrowIfCancelled(UserInterface& ui);

// Progress of a stage the user may stop: shows each report, then checks for Cancel.
ProgressFn CancellableProgress(UserInterface& ui);

// Argon2id with its own status text and a busy bar (it reports no progress and cannot be
// interrupted: Cancel takes effect right after it); then panel 0 shows statusTextId again.
Status DeriveKeyShowingStatus(const Session& session, UserInterface& ui, clsXChaCha20& cipher, int statusTextId);

}  // namespace tarnwerk
