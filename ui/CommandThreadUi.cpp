#include "ui/CommandThreadUi.h"

#include <QMetaObject>
#include <QThread>
#include <type_traits>

namespace tarnwerk {

bool CommandThreadUi::OnWindowThread() const { return QThread::currentThread() == context_.thread(); }

template <class Call>
auto CommandThreadUi::Answer(Call call) -> decltype(call()) {
    using Reply = decltype(call());
    if (OnWindowThread()) return call();
    if constexpr (std::is_void_v<Reply>) {
        if (!abandoned_.load()) QMetaObject::invokeMethod(&context_, call, Qt::BlockingQueuedConnection);
    } else {
        Reply answer{};
        if (!abandoned_.load())
            QMetaObject::invokeMethod(
                &context_, [&] { answer = call(); }, Qt::BlockingQueuedConnection);
        return answer;
    }
}

template <class Call>
void CommandThreadUi::Tell(Call call) {
    if (OnWindowThread()) {
        call();
    } else {
        QMetaObject::invokeMethod(&context_, std::move(call), Qt::QueuedConnection);
    }
}

void CommandThreadUi::Rearm() {
    cancel_.store(false);
    shownPercent_.store(0);
}

MessageAnswer CommandThreadUi::ShowMessage(const Message& message) {
    return Answer([&] { return window_.ShowMessage(message); });
}

std::string CommandThreadUi::ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) {
    return Answer([&] { return window_.ChooseCarrierFile(filter, title); });
}

std::string CommandThreadUi::ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) {
    return Answer([&] { return window_.ChooseDataFile(filter, title); });
}

std::optional<std::string> CommandThreadUi::ChooseOutputFile(const std::vector<FileFilter>& filter,
                                                             const std::string& title, const std::string& proposed) {
    return Answer([&] { return window_.ChooseOutputFile(filter, title, proposed); });
}

std::optional<std::string> CommandThreadUi::AskNewPassphrase() {
    return Answer([&] { return window_.AskNewPassphrase(); });
}

std::optional<std::string> CommandThreadUi::AskPassphrase() {
    return Answer([&] { return window_.AskPassphrase(); });
}

std::optional<std::string> CommandThreadUi::AskStealthPassphrase(const std::string& prompt) {
    return Answer([&] { return window_.AskStealthPassphrase(prompt); });
}

void CommandThreadUi::SetProgress(int percent) {
    if (shownPercent_.exchange(percent) == percent && !OnWindowThread()) return;
    Tell([this, percent] { window_.SetProgress(percent); });
}

void CommandThreadUi::SetCancellable(bool cancellable) {
    Tell([this, cancellable] { window_.SetCancellable(cancellable); });
}

void CommandThreadUi::SetStatus(int panel, const std::string& text) {
    Tell([this, panel, text] { window_.SetStatus(panel, text); });
}

void CommandThreadUi::SetBusy(bool busy) {
    Tell([this, busy] { window_.SetBusy(busy); });
}

// The window reads the fields from the session the worker writes: the worker waits meanwhile.
void CommandThreadUi::FieldsChanged() {
    Answer([this] { window_.FieldsChanged(); });
}

}  // namespace tarnwerk
