#include "app/Cancellation.h"

#include "app/Session.h"
#include "app/UserInterface.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {
constexpr int kDerivingKeyStatus = 580;
}

void ThrowIfCancelled(UserInterface& ui) {
    if (ui.CancelRequested()) throw CommandCancelled{};
}

ProgressFn CancellableProgress(UserInterface& ui) {
    return [&ui](int percent) {
        ui.SetProgress(percent);
        ThrowIfCancelled(ui);
    };
}

Status DeriveKeyShowingStatus(const Session& session, UserInterface& ui, clsXChaCha20& cipher, int statusTextId) {
    ThrowIfCancelled(ui);
    ui.SetStatus(0, " " + session.Text(kDerivingKeyStatus));
    ui.SetProgress(UserInterface::kProgressBusy);
    Status derived = cipher.DeriveKey();
    ui.SetStatus(0, " " + session.Text(statusTextId));
    ui.SetProgress(0);
    ThrowIfCancelled(ui);
    return derived;
}

}  // namespace tarnwerk
