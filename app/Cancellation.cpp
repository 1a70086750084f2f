#include "app/Cancellation.h"

#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk {

void ThrowIfCancelled(UserInterface& ui) {
    if (ui.CancelRequested()) throw CommandCancelled{};
}

ProgressFn CancellableProgress(UserInterface& ui) {
    return [&ui](int percent) {
        ui.SetProgress(percent);
        ThrowIfCancelled(ui);
    };
}

SealCallbacks CancellableSealCallbacks(const Session& session, UserInterface& ui, TextId statusTextId) {
    SealCallbacks callbacks;
    callbacks.progress = CancellableProgress(ui);
    callbacks.deriveKey = [&session, &ui, statusTextId](const std::function<Status()>& derive) {
        ThrowIfCancelled(ui);
        ui.SetStatus(0, " " + session.Text(TextId::DerivingKeyStatus));
        ui.SetProgress(UserInterface::kProgressBusy);
        Status derived = derive();
        ui.SetStatus(0, " " + session.Text(statusTextId));
        ui.SetProgress(0);
        ThrowIfCancelled(ui);
        return derived;
    };
    return callbacks;
}

}  // namespace tarnwerk
