// A private folder for the files one process of a fuzz target writes. Every iteration leaves
// it empty again, so one input can never see the files of another.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "support/TempDir.h"

namespace tarnwerk::fuzz {

class ScratchDir : public test::TempDir {
public:
    // Writes bytes as the whole content of name; false when that failed.
    bool Write(const std::string& name, std::span<const uint8_t> bytes) const;
    // Removes everything inside the folder (also read-only sub-folders).
    void Clear() const;
};

}  // namespace tarnwerk::fuzz
