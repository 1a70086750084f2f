#include "ui/frmSetPw.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>

#include "app/PassphraseRules.h"
#include "ui/ApplyLanguage.h"
#include "ui/QtText.h"

namespace tarnwerk {
namespace {

// The marker over the bar sits at about 43 % of its width (a score of about 222 of 512);
// it is a hint only, nothing compares a score with it.
constexpr double kMarkerFraction = 0.43;
const QString kMarkerGlyph = QStringLiteral("\u25BC");
constexpr int kMinimumBarWidth = 240;

// Puts lblPwQuality so that it ends at the marker, and the marker at its place over the bar.
class QualityScale : public QWidget {
public:
    QualityScale(QLabel* caption, QLabel* marker, QWidget* parent)
        : QWidget(parent), caption_(caption), marker_(marker) {
        caption_->setParent(this);
        marker_->setParent(this);
        caption_->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        marker_->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    }

    QSize sizeHint() const override { return minimumSizeHint(); }
    QSize minimumSizeHint() const override {
        const int markerWidth = marker_->sizeHint().width();
        const int captionWidth = caption_->sizeHint().width();
        const int width = static_cast<int>((captionWidth + markerWidth / 2.0 + 2) / kMarkerFraction) + 1;
        return {std::max(width, kMinimumBarWidth),
                std::max(caption_->sizeHint().height(), marker_->sizeHint().height())};
    }

protected:
    void resizeEvent(QResizeEvent* /*event*/) override {
        const int markerWidth = marker_->sizeHint().width();
        const int markerCentre = static_cast<int>(width() * kMarkerFraction);
        const int markerLeft = markerCentre - markerWidth / 2;
        marker_->setGeometry(markerLeft, 0, markerWidth, height());
        caption_->setGeometry(0, 0, std::max(0, markerLeft - 2), height());
    }

private:
    QLabel* caption_;
    QLabel* marker_;
};

}  // namespace

frmSetPw::frmSetPw(int languageBase, DialogHost& host, QWidget* parent) : PassphraseDialog(languageBase, host, parent) {
    setObjectName(QStringLiteral("frmSetPw"));
    auto* lblPw1 = new QLabel(this);
    lblPw1->setObjectName(QStringLiteral("lblPw1"));
    txtPw1_ = MaskedField(this, "txtPw1");
    auto* lblPw2 = new QLabel(this);
    lblPw2->setObjectName(QStringLiteral("lblPw2"));
    txtPw2_ = MaskedField(this, "txtPw2");
    auto* lblQuality = new QLabel(this);
    lblQuality->setObjectName(QStringLiteral("lblQuality"));

    auto* placeholder = new QWidget(this);
    placeholder->setObjectName(QStringLiteral("picProgBarSize"));
    qualityBar_ = new QProgressBar(placeholder);
    qualityBar_->setObjectName(QStringLiteral("QualityBar"));
    qualityBar_->setRange(0, kQualityMaximum);
    qualityBar_->setValue(0);
    qualityBar_->setTextVisible(false);
    auto* barLayout = new QHBoxLayout(placeholder);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addWidget(qualityBar_);

    QHBoxLayout* buttons = OkCancelRow();

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblPw1, 0, 0);
    layout->addWidget(txtPw1_, 0, 1);
    layout->addWidget(lblPw2, 1, 0);
    layout->addWidget(txtPw2_, 1, 1);
    layout->addWidget(BuildQualityScale(), 2, 1);
    layout->addWidget(lblQuality, 3, 0);
    layout->addWidget(placeholder, 3, 1);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ApplyLanguage(*this, "frmSetPw", languageBase_);

    EnterMovesTo(txtPw1_, txtPw2_);
    EnterRunsOk(txtPw2_);
    txtPw1_->installEventFilter(this);  // key releases rate the first entry
}

QWidget* frmSetPw::BuildQualityScale() {
    auto* caption = new QLabel;
    caption->setObjectName(QStringLiteral("lblPwQuality"));
    auto* marker = new QLabel(kMarkerGlyph);
    marker->setObjectName(QStringLiteral("Label4"));
    return new QualityScale(caption, marker, this);
}

int frmSetPw::QualityShown() const { return qualityBar_->value(); }

std::optional<Message> frmSetPw::Problem() const {
    return CheckNewPassphrase(languageBase_, FromQ(txtPw1_->text()), FromQ(txtPw2_->text()));
}

void frmSetPw::ClearFields() {
    txtPw1_->clear();
    txtPw2_->clear();
}

// Only a key released in the first field rates it; text set any other way leaves the bar.
void frmSetPw::UpdateQuality() {
    const int score = PassphraseQuality(FromQ(txtPw1_->text()));
    qualityBar_->setValue(std::clamp(score, 0, kQualityMaximum));
}

bool frmSetPw::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtPw1_ && event->type() == QEvent::KeyRelease) UpdateQuality();
    return PassphraseDialog::eventFilter(watched, event);
}

}  // namespace tarnwerk
