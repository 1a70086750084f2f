// frmSetPw: the passphrase for hiding, typed twice, with a quality bar under the first entry.
#pragma once

#include "ui/PassphraseDialog.h"

class QLabel;
class QProgressBar;

namespace tarnwerk {

class frmSetPw : public PassphraseDialog {
    Q_OBJECT
public:
    static constexpr int kQualityMaximum = 512;

    frmSetPw(int languageBase, DialogHost& host, QWidget* parent = nullptr);

    int QualityShown() const;

protected:
    std::optional<Message> Problem() const override;
    QLineEdit* PassphraseField() const override { return txtPw1_; }
    void ClearFields() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildQualityScale();
    void UpdateQuality();

    QLineEdit* txtPw1_ = nullptr;
    QLineEdit* txtPw2_ = nullptr;
    QProgressBar* qualityBar_ = nullptr;
};

}  // namespace tarnwerk
