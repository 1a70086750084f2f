#include "ui/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace tarnwerk {
namespace {

QImage Blank(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A framed landscape: sky, sun, two hills. unit is 1/32 of the picture.
void DrawLandscape(QPainter& painter, double unit) {
    const QRectF frame(1 * unit, 4 * unit, 30 * unit, 24 * unit);
    painter.setPen(QPen(QColor(60, 60, 70), unit));
    painter.setBrush(QColor(150, 200, 240));
    painter.drawRect(frame);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 210, 60));
    painter.drawEllipse(QPointF(23 * unit, 10 * unit), 3 * unit, 3 * unit);
    QPainterPath hills;
    hills.moveTo(1.5 * unit, 27.5 * unit);
    hills.lineTo(1.5 * unit, 20 * unit);
    hills.quadTo(9 * unit, 12 * unit, 16 * unit, 20 * unit);
    hills.quadTo(23 * unit, 15 * unit, 30.5 * unit, 21 * unit);
    hills.lineTo(30.5 * unit, 27.5 * unit);
    hills.closeSubpath();
    painter.setBrush(QColor(80, 150, 70));
    painter.drawPath(hills);
}

// The hidden data: a small grid of light and dark cells in the lower right corner.
void DrawBits(QPainter& painter, double unit) {
    static constexpr int kPattern[4][4] = {{1, 0, 1, 1}, {0, 1, 0, 0}, {1, 1, 0, 1}, {0, 1, 1, 0}};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            painter.setBrush(kPattern[row][column] != 0 ? QColor(30, 30, 40) : QColor(240, 240, 240));
            painter.drawRect(QRectF((18 + 3 * column) * unit, (15.5 + 3 * row) * unit, 3 * unit, 3 * unit));
        }
    }
}

}  // namespace

QImage CarrierPicture(int size) {
    QImage image = Blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawLandscape(painter, size / 32.0);
    return image;
}

QImage DataPicture(int size) {
    QImage image = Blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 32.0;
    QPainterPath sheet;
    sheet.moveTo(6 * unit, 2 * unit);
    sheet.lineTo(20 * unit, 2 * unit);
    sheet.lineTo(26 * unit, 8 * unit);
    sheet.lineTo(26 * unit, 30 * unit);
    sheet.lineTo(6 * unit, 30 * unit);
    sheet.closeSubpath();
    painter.setPen(QPen(QColor(60, 60, 70), unit));
    painter.setBrush(Qt::white);
    painter.drawPath(sheet);
    painter.drawLine(QPointF(20 * unit, 2 * unit), QPointF(20 * unit, 8 * unit));
    painter.drawLine(QPointF(20 * unit, 8 * unit), QPointF(26 * unit, 8 * unit));
    painter.setPen(QPen(QColor(120, 120, 140), unit));
    for (int line = 0; line < 5; ++line) {
        const double y = (13 + 3.5 * line) * unit;
        painter.drawLine(QPointF(10 * unit, y), QPointF((line == 4 ? 17 : 22) * unit, y));
    }
    return image;
}

QImage ApplicationIcon(int size) {
    QImage image = Blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 32.0;
    DrawLandscape(painter, unit);
    painter.setPen(QPen(QColor(60, 60, 70), unit / 3));
    DrawBits(painter, unit);
    return image;
}

}  // namespace tarnwerk
