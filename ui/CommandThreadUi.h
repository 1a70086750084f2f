// The workflows' UserInterface for commands that run on a worker thread. Called on the
// window's thread it hands each call straight to the window; called on the worker, questions
// and dialogs (overwrite, passphrase, retry, output file) run on the window's thread while the
// worker waits for the answer, and progress and status travel there as queued calls.
#pragma once

#include <QObject>
#include <atomic>

#include "app/UserInterface.h"

namespace tarnwerk {

class CommandThreadUi : public UserInterface {
public:
    // window: the UserInterface that shows everything; context: its QObject, which lives on
    // the window's thread.
    CommandThreadUi(UserInterface& window, QObject& context) : window_(window), context_(context) {}

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

    MessageAnswer ShowMessage(const Message& message) override;
    std::string ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) override;
    std::string ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) override;
    std::optional<std::string> ChooseOutputFile(const std::vector<FileFilter>& filter, const std::string& title,
                                                const std::string& proposed) override;
    std::optional<std::string> AskNewPassphrase() override;
    std::optional<std::string> AskPassphrase() override;
    std::optional<std::string> AskStealthPassphrase(const std::string& prompt) override;
    void SetProgress(int percent) override;
    bool CancelRequested() override { return cancel_.load(); }
    void SetCancellable(bool cancellable) override;
    void SetStatus(int panel, const std::string& text) override;
    void SetBusy(bool busy) override;
    void FieldsChanged() override;

private:
    bool OnWindowThread() const;
    // Runs call on the window's thread and waits for it (it reads or writes what the worker owns).
    template <class Call>
    auto Answer(Call call) -> decltype(call());
    // Runs call on the window's thread without waiting.
    template <class Call>
    void Tell(Call call);

    UserInterface& window_;
    QObject& context_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> abandoned_{false};
    std::atomic<int> shownPercent_{0};  // the last percent sent, so equal reports are not queued again
};

}  // namespace tarnwerk
