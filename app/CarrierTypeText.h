// The kind of a loaded carrier in words, as the window's type field and `info` show it.
#pragma once

#include <string>

#include "core/CarrierFacts.h"

namespace tarnwerk {

// "Raw-data picture format"; "Bitmap picture format, 640x480 pixels, 24 bit colors"; for a
// PNG the colour kind: "PNG picture, 640x480 pixels, 16 bit grey levels with alpha channel".
std::string CarrierTypeText(int languageBase, const CarrierFacts& facts);

}  // namespace tarnwerk
