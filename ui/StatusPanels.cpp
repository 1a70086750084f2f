#include "ui/StatusPanels.h"

#include <QLabel>
#include <algorithm>

namespace tarnwerk {
namespace {

// Designed widths of the panels right of the first one: compression, cipher, bits per byte.
constexpr std::array<int, clsStatusBar::kPanels> kDesignedWidth = {0, 70, 110, 80};
// Room for the sunken frame on both sides of a panel's text.
constexpr int kFramePadding = 8;

// Until the window writes its panels the bar shows this fixed German text.
constexpr const char* kInitialText = " Bereit";

}  // namespace

clsStatusBar::clsStatusBar(QWidget* host, int innerWidth, int innerHeight) : QWidget(host) {
    setObjectName(QStringLiteral("StatusBar"));
    for (int part = 0; part < kPanels; ++part) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("sbPanel%1").arg(part));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        panels_[static_cast<std::size_t>(part)] = panel;
    }
    PlaceAtBottom(innerWidth, innerHeight);
    SetText(0, QString::fromLatin1(kInitialText));
}

void clsStatusBar::PlaceAtBottom(int innerWidth, int innerHeight) {
    setGeometry(0, innerHeight - kHeight, innerWidth, kHeight);
    ArrangePanels();
}

void clsStatusBar::ArrangePanels() {
    int right = width();
    for (int part = kPanels - 1; part >= 0; --part) {
        QLabel* panel = panels_[static_cast<std::size_t>(part)];
        int left = 0;
        if (part > 0) {
            const int needed = panel->fontMetrics().horizontalAdvance(panel->text()) + kFramePadding;
            left = right - std::max(kDesignedWidth[static_cast<std::size_t>(part)], needed);
        }
        panel->setGeometry(left, 1, right - left, kHeight - 1);
        right = left;
    }
}

void clsStatusBar::SetText(int part, const QString& text) {
    if (part < 0 || part >= kPanels) return;
    panels_[static_cast<std::size_t>(part)]->setText(text);
    ArrangePanels();
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
