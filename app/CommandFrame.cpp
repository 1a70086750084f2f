#include "app/CommandFrame.h"

#include "app/Prompter.h"

namespace tarnwerk {

namespace {
constexpr int kReadyTextId = 301;
}

CommandFrame::CommandFrame(ProgressSink& progress, int statusTextId) : progress_(progress) {
    progress_.SetBusy(true);
    progress_.SetStatus(statusTextId);
    progress_.SetCancellable(true);
}

CommandFrame::~CommandFrame() {
    progress_.SetStatus(kReadyTextId);
    progress_.SetProgress(0);
    progress_.SetCancellable(false);
    progress_.SetBusy(false);
}

}  // namespace tarnwerk
