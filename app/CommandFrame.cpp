#include "app/CommandFrame.h"

#include "app/Prompter.h"

namespace tarnwerk {

namespace {}

CommandFrame::CommandFrame(ProgressSink& progress, TextId statusTextId) : progress_(progress) {
    progress_.SetBusy(true);
    progress_.SetStatus(statusTextId);
    progress_.SetCancellable(true);
}

CommandFrame::~CommandFrame() {
    progress_.SetStatus(TextId::ReadyStatus);
    progress_.SetProgress(0);
    progress_.SetCancellable(false);
    progress_.SetBusy(false);
}

}  // namespace tarnwerk
