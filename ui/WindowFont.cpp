#include "ui/WindowFont.h"

#include <QApplication>

namespace tarnwerk {

QFont WindowFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kWindowFontPixels);
    return font;
}

void UseWindowFont() { QApplication::setFont(WindowFont()); }

}  // namespace tarnwerk
