#include "app/CommandFrame.h"

#include "app/Cancellation.h"
#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk {

CommandFrame::CommandFrame(Session& session, UserInterface& ui, TextId statusTextId) : session_(session), ui_(ui) {
    ui_.SetBusy(true);
    ui_.SetStatus(0, " " + session_.Text(statusTextId));
    ui_.SetCancellable(true);
}

bool CommandFrame::Run(const std::function<bool()>& steps) {
    try {
        return steps();
    } catch (const CommandCancelled&) {
        return false;  // the steps' scratch files and unfinished outputs are gone already
    }
}

CommandFrame::~CommandFrame() {
    if (closing_) closing_();
    ui_.SetStatus(0, " " + session_.Text(TextId::ReadyStatus));
    ui_.SetProgress(0);
    ui_.SetCancellable(false);
    ui_.SetBusy(false);
}

}  // namespace tarnwerk
