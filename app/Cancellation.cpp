#include "app/Cancellation.h"

namespace tarnwerk {

ProgressFn CancellableProgress(ProgressSink& progress) {
    return [&progress](int percent) {
        progress.SetProgress(percent);
        if (progress.CancelRequested()) throw detail::EngineStopped{};
    };
}

SealCallbacks CancellableSealCallbacks(ProgressSink& progress, TextId statusTextId) {
    SealCallbacks callbacks;
    callbacks.progress = CancellableProgress(progress);
    callbacks.deriveKey = [&progress, statusTextId](const std::function<Status()>& derive) -> Status {
        if (progress.CancelRequested()) return CancelledError();
        progress.SetStatus(TextId::DerivingKeyStatus);
        progress.SetProgress(ProgressSink::kBusy);
        Status derived = derive();
        progress.SetStatus(statusTextId);
        progress.SetProgress(0);
        if (derived && progress.CancelRequested()) return CancelledError();
        return derived;
    };
    return callbacks;
}

}  // namespace tarnwerk
