// frmGetPw: the passphrase for extraction, typed once.
#pragma once

#include <string>

#include "ui/PassphraseDialog.h"

class QLabel;

namespace tarnwerk {

class frmGetPw : public PassphraseDialog {
    Q_OBJECT
public:
    frmGetPw(int languageBase, DialogHost& host, QWidget* parent = nullptr);

    // A line above the field that says why the passphrase is asked; empty hides it.
    void SetPrompt(const std::string& prompt);

protected:
    std::optional<Message> Problem() const override;
    QLineEdit* PassphraseField() const override { return txtPw_; }
    void ClearFields() override;

private:
    QLineEdit* txtPw_ = nullptr;
    QLabel* lblPrompt_ = nullptr;
};

}  // namespace tarnwerk
