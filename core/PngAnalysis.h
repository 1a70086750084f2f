// Judges a PNG file as a carrier and fills the carrier facts from its header.
#pragma once

#include <string>

#include "core/CarrierAnalysis.h"

namespace tarnwerk {

// fd: the file, open for reading, of the given length. For an accepted picture the facts
// describe the carrier area (fileSize and imageSize: its length in bytes, dataOffset 0;
// realLength: the file's length) and bitCount gives bits per pixel.
CarrierVerdict AnalysePng(int fd, const std::string& path, CarrierFacts& facts, std::string& detail);

}  // namespace tarnwerk
