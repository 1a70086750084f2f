// The program's font: the default sans at the pixel size of the original 8.25 pt at 96 dpi.
#pragma once

#include <QFont>

namespace tarnwerk {

inline constexpr int kWindowFontPixels = 11;

QFont WindowFont();
// Makes WindowFont() the application font, so dialogs and menus share it.
void UseWindowFont();

}  // namespace tarnwerk
