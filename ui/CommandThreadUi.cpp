#include "ui/CommandThreadUi.h"

#include <QMetaObject>
#include <QThread>
#include <type_traits>

#include "ui/frmSteg.h"

namespace tarnwerk {

CommandThreadUi::CommandThreadUi(frmSteg& window) : window_(window) {}

bool CommandThreadUi::OnWindowThread() const { return QThread::currentThread() == window_.thread(); }

template <class Call>
auto CommandThreadUi::Answer(Call call) -> decltype(call()) {
    using Reply = decltype(call());
    if (OnWindowThread()) return call();
    Reply answer{};
    if (!abandoned_.load())
        QMetaObject::invokeMethod(
            &window_, [&] { answer = call(); }, Qt::BlockingQueuedConnection);
    return answer;
}

template <class Call>
void CommandThreadUi::Tell(Call call) {
    if (OnWindowThread()) {
        call();
    } else {
        QMetaObject::invokeMethod(&window_, std::move(call), Qt::QueuedConnection);
    }
}

void CommandThreadUi::Rearm() {
    cancel_.store(false);
    shownPercent_.store(0);
}

bool CommandThreadUi::Confirm(Question question) {
    return Answer([&] { return window_.AskQuestion(question); });
}

std::optional<std::string> CommandThreadUi::AskNewPassphrase() {
    return Answer([&] { return window_.AskNewPassphrase(); });
}

std::optional<std::string> CommandThreadUi::AskPassphrase() {
    return Answer([&] { return window_.AskPassphrase(); });
}

std::string CommandThreadUi::ChooseOutputFile(const OutputChoice& choice) {
    return Answer([&] { return window_.ChooseOutputFile(choice); });
}

void CommandThreadUi::SetProgress(int percent) {
    if (shownPercent_.exchange(percent) == percent && !OnWindowThread()) return;
    Tell([this, percent] { window_.ShowProgress(percent); });
}

void CommandThreadUi::SetStatus(TextId textId) {
    Tell([this, textId] { window_.ShowStatusText(textId); });
}

void CommandThreadUi::SetBusy(bool busy) {
    Tell([this, busy] { window_.SetBusy(busy); });
}

void CommandThreadUi::SetCancellable(bool cancellable) {
    Tell([this, cancellable] { window_.SetCancellable(cancellable); });
}

}  // namespace tarnwerk
