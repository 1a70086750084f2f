// The seed corpus of every fuzz target: carriers with hidden payloads at 1, 2 and 4 bits
// (plain, compressed, encrypted with each cipher), broken bitmaps, compressed files, encrypted
// buffers and settings files. Generated when needed, so no binary inputs live in the repository.
#pragma once

#include <string>

namespace tarnwerk::fuzz {

// Writes folder/corpus-<target>/seed-NNN for every target; false when a file could not be written.
bool WriteSeedCorpus(const std::string& folder);

}  // namespace tarnwerk::fuzz
