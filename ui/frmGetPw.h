// frmGetPw: the passphrase for extraction, typed once.
#pragma once

#include "ui/PassphraseDialog.h"

namespace tarnwerk {

class frmGetPw : public PassphraseDialog {
    Q_OBJECT
public:
    frmGetPw(int languageBase, DialogHost& host, QWidget* parent = nullptr);

protected:
    std::optional<Message> Problem() const override;
    QLineEdit* PassphraseField() const override { return txtPw_; }
    void ClearFields() override;

private:
    QLineEdit* txtPw_ = nullptr;
};

}  // namespace tarnwerk
