// What the two passphrase dialogs share: masked fields, the Enter key rules, the result.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace tarnwerk {

class DialogHost;
struct Message;

class PassphraseDialog : public QDialog {
    Q_OBJECT
public:
    // The passphrase accepted by OK, UTF-8 as typed; nullopt after Cancel or the close box.
    // The dialog forgets it.
    std::optional<std::string> TakePassphrase();

    void done(int result) override;

protected:
    PassphraseDialog(int languageBase, DialogHost& host, QWidget* parent);

    static QLineEdit* MaskedField(QWidget* parent, const char* name);
    QPushButton* AddButton(const char* name);
    // OK (runs Ok) and Cancel (rejects), right-aligned in a row.
    QHBoxLayout* OkCancelRow();
    // Enter in this field does not reach the dialog: it moves on to next, or runs OK.
    void EnterMovesTo(QLineEdit* field, QLineEdit* next);
    void EnterRunsOk(QLineEdit* field);

    // The problem with the typed text, or nullopt when it may be used.
    virtual std::optional<Message> Problem() const = 0;
    virtual QLineEdit* PassphraseField() const = 0;
    virtual void ClearFields() = 0;

    void Ok();
    bool eventFilter(QObject* watched, QEvent* event) override;

    int languageBase_;

private:
    DialogHost& host_;
    std::optional<std::string> passphrase_;
    QLineEdit* moveFrom_ = nullptr;
    QLineEdit* moveTo_ = nullptr;
    QLineEdit* okFrom_ = nullptr;
};

}  // namespace tarnwerk
