#include "ui/frmGetPw.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/PassphraseRules.h"
#include "ui/ApplyLanguage.h"
#include "ui/QtText.h"

namespace tarnwerk {
namespace {
constexpr int kMinimumFieldWidth = 220;
}

frmGetPw::frmGetPw(int languageBase, DialogHost& host, QWidget* parent) : PassphraseDialog(languageBase, host, parent) {
    setObjectName(QStringLiteral("frmGetPw"));
    auto* lblPw = new QLabel(this);
    lblPw->setObjectName(QStringLiteral("lblPw"));
    txtPw_ = MaskedField(this, "txtPw");
    txtPw_->setMinimumWidth(kMinimumFieldWidth);

    QHBoxLayout* buttons = OkCancelRow();

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblPw, 0, 0);
    layout->addWidget(txtPw_, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ApplyLanguage(*this, "frmGetPw", languageBase_);

    EnterRunsOk(txtPw_);
}

std::optional<Message> frmGetPw::Problem() const { return CheckPassphrase(languageBase_, FromQ(txtPw_->text())); }

void frmGetPw::ClearFields() { txtPw_->clear(); }

}  // namespace tarnwerk
