#include "ui/StatusPanels.h"

#include <QLabel>

namespace tarnwerk {
namespace {

// Distance of each panel's right edge from the inner right border; the last panel ends there.
constexpr std::array<int, clsStatusBar::kPanels> kRightInset = {260, 190, 80, 0};

// Until the window writes its panels the bar shows this fixed German text.
constexpr const char* kInitialText = " Bereit";

}  // namespace

clsStatusBar::clsStatusBar(QWidget* host, int innerWidth, int innerHeight) : QWidget(host) {
    setObjectName(QStringLiteral("StatusBar"));
    setGeometry(0, innerHeight - kHeight, innerWidth, kHeight);
    int left = 0;
    for (int part = 0; part < kPanels; ++part) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("sbPanel%1").arg(part));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        const int right = innerWidth - kRightInset[static_cast<std::size_t>(part)];
        panel->setGeometry(left, 1, right - left, kHeight - 1);
        left = right;
        panels_[static_cast<std::size_t>(part)] = panel;
    }
    SetText(0, QString::fromLatin1(kInitialText));
}

void clsStatusBar::SetText(int part, const QString& text) {
    if (part < 0 || part >= kPanels) return;
    panels_[static_cast<std::size_t>(part)]->setText(text);
}

QString clsStatusBar::Text(int part) const {
    if (part < 0 || part >= kPanels) return {};
    return panels_[static_cast<std::size_t>(part)]->text();
}

QRect clsStatusBar::PanelGeometry(int part) const {
    if (part < 0 || part >= kPanels) return {};
    return panels_[static_cast<std::size_t>(part)]->geometry();
}

}  // namespace tarnwerk
