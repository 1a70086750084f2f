// The workflows' messages as Qt message boxes: icon, buttons and title as composed by app/.
#pragma once

#include <memory>

#include "app/UserInterface.h"

class QMessageBox;
class QWidget;

namespace tarnwerk {

class DialogHost;

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const Message& message);

// Anything but a button of the box (Escape, the close box) counts as the safe answer:
// No for Yes/No, Cancel for Retry/Cancel.
MessageAnswer AnswerFromResult(MessageButtons buttons, int result);

MessageAnswer ShowMessageBox(DialogHost& host, QWidget* parent, const Message& message);

}  // namespace tarnwerk
