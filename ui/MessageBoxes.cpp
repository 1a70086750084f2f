#include "ui/MessageBoxes.h"

#include <QMessageBox>

#include "ui/DialogHost.h"
#include "ui/QtText.h"

namespace tarnwerk {
namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const Message& message) {
    auto box = std::make_unique<QMessageBox>(QtIcon(message.icon), ToQ(message.title), MessageText(message.text),
                                             QtButtons(message.buttons), parent);
    box->setTextFormat(Qt::PlainText);  // paths and file names are never markup
    switch (message.buttons) {
        case MessageButtons::YesNo:
            // Every Yes/No question asks whether to replace a file: Enter must not agree.
            box->setDefaultButton(QMessageBox::No);
            box->setEscapeButton(QMessageBox::No);
            break;
        case MessageButtons::RetryCancel:
            box->setEscapeButton(QMessageBox::Cancel);
            break;
        case MessageButtons::Ok:
            box->setEscapeButton(QMessageBox::Ok);
            break;
    }
    return box;
}

MessageAnswer AnswerFromResult(MessageButtons buttons, int result) {
    switch (buttons) {
        case MessageButtons::YesNo:
            return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
        case MessageButtons::RetryCancel:
            return result == QMessageBox::Retry ? MessageAnswer::Retry : MessageAnswer::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return MessageAnswer::Ok;
}

MessageAnswer ShowMessageBox(DialogHost& host, QWidget* parent, const Message& message) {
    std::unique_ptr<QMessageBox> box = MakeMessageBox(parent, message);
    return AnswerFromResult(message.buttons, host.Exec(*box));
}

}  // namespace tarnwerk
