#include "ui/PassphraseDialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/UserInterface.h"
#include "ui/MessageBoxes.h"
#include "ui/QtText.h"

namespace tarnwerk {

PassphraseDialog::PassphraseDialog(int languageBase, DialogHost& host, QWidget* parent)
    : QDialog(parent), languageBase_(languageBase), host_(host) {}

std::optional<std::string> PassphraseDialog::TakePassphrase() {
    std::optional<std::string> taken = std::move(passphrase_);
    passphrase_.reset();
    return taken;
}

void PassphraseDialog::done(int result) {
    ClearFields();
    QDialog::done(result);
}

QLineEdit* PassphraseDialog::MaskedField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setEchoMode(QLineEdit::Password);
    return field;
}

QPushButton* PassphraseDialog::AddButton(const char* name) {
    auto* button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(name));
    // Enter is handled by the fields' own rules, never by a default button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QHBoxLayout* PassphraseDialog::OkCancelRow() {
    QPushButton* ok = AddButton("cmdOk");
    QPushButton* cancel = AddButton("cmdCancel");
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    return buttons;
}

void PassphraseDialog::EnterMovesTo(QLineEdit* field, QLineEdit* next) {
    moveFrom_ = field;
    moveTo_ = next;
    field->installEventFilter(this);
}

void PassphraseDialog::EnterRunsOk(QLineEdit* field) {
    okFrom_ = field;
    field->installEventFilter(this);
}

void PassphraseDialog::Ok() {
    if (const std::optional<Message> problem = Problem()) {
        ShowMessageBox(host_, this, *problem);  // the dialog stays open with its contents
        return;
    }
    passphrase_ = FromQ(PassphraseField()->text());
    accept();
}

bool PassphraseDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == moveFrom_ && moveTo_ != nullptr) {
                moveTo_->setFocus(Qt::TabFocusReason);
                return true;
            }
            if (watched == okFrom_) {
                Ok();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tarnwerk
