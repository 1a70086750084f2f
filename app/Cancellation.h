// Stopping a running use case between two chunks of its work. Stages check the Cancel flag
// and end with a Cancelled result; the engines, which only report progress, are stopped from
// their progress callback, and that stop ends inside StopOnCancel, one stage deep.
#pragma once

#include "app/Prompter.h"
#include "base/Result.h"
#include "core/Progress.h"
#include "crypto/PayloadSeal.h"

namespace tarnwerk {

namespace detail {
// Unwinds an engine from its progress callback. The engines own descriptors, scratch files
// and unfinished outputs by RAII, so unwinding deletes every scratch file and leaves every
// output as it was.
struct EngineStopped {};
}  // namespace detail

inline Error CancelledError() { return MakeError(ErrorCode::Cancelled); }

inline bool IsCancelled(const Error& error) { return error.code == ErrorCode::Cancelled; }

// Runs one engine call that gets CancellableProgress; a stop by Cancel becomes a Cancelled error.
template <class Call>
auto StopOnCancel(Call call) -> decltype(call()) {
    try {
        return call();
    } catch (const detail::EngineStopped&) {
        return CancelledError();
    }
}

// Progress of an engine the user may stop: shows each report, then checks for Cancel. Only
// for calls inside StopOnCancel.
ProgressFn CancellableProgress(ProgressSink& progress);

// A seal's progress the user may stop; a key derivation (Argon2id) shows its own status text
// and a busy bar (it cannot be interrupted: Cancel takes effect right after it), then the
// status shows statusTextId again.
SealCallbacks CancellableSealCallbacks(ProgressSink& progress, TextId statusTextId);

}  // namespace tarnwerk
