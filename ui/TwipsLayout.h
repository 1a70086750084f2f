// The window layout is given in twips; Qt places widgets in pixels (15 twips at 96 dpi).
#pragma once

#include <QRect>

namespace tarnwerk {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) { return twips / kTwipsPerPixel; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace tarnwerk
