// The pictures the program draws itself: the two drop images and the program icon
// (a landscape picture whose lower corner dissolves into hidden bits).
#pragma once

#include <QImage>

namespace tarnwerk {

QImage CarrierPicture(int size);  // Image2: the carrier group's drop target
QImage DataPicture(int size);     // Image1: the data group's drop target
QImage ApplicationIcon(int size);

}  // namespace tarnwerk
