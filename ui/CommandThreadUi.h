// The window's Prompter and ProgressSink, the only ones it has: a use case runs on a worker
// thread, so questions and dialogs (overwrite, passphrase, retry, output file) run on the
// window's thread while the worker waits for the answer, and progress and status travel there
// as queued calls. Called on the window's thread it hands each call straight to the window.
#pragma once

#include <QObject>
#include <atomic>

#include "app/Prompter.h"

namespace tarnwerk {

class frmSteg;

class CommandThreadUi : public Prompter, public ProgressSink {
public:
    explicit CommandThreadUi(frmSteg& window);

    // Cancel pressed: the running command stops at its next check.
    void RequestCancel() { cancel_.store(true); }
    // The window goes away: the command is cancelled and every later question gets the
    // declining answer (no, cancel, no file, no passphrase) without being shown.
    void Abandon() {
        abandoned_.store(true);
        cancel_.store(true);
    }
    // A new command starts: no cancel pending, the progress shown anew.
    void Rearm();

    bool Confirm(Question question) override;
    std::optional<std::string> AskNewPassphrase() override;
    std::optional<std::string> AskPassphrase() override;
    std::string ChooseOutputFile(const OutputChoice& choice) override;

    void SetProgress(int percent) override;
    void SetStatus(TextId textId) override;
    void SetBusy(bool busy) override;
    void SetCancellable(bool cancellable) override;
    bool CancelRequested() const override { return cancel_.load(); }

private:
    bool OnWindowThread() const;
    // Runs call on the window's thread and waits for it.
    template <class Call>
    auto Answer(Call call) -> decltype(call());
    // Runs call on the window's thread without waiting.
    template <class Call>
    void Tell(Call call);

    frmSteg& window_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> abandoned_{false};
    std::atomic<int> shownPercent_{0};  // the last percent sent, so equal reports are not queued again
};

}  // namespace tarnwerk
