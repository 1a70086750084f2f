// The file members shared by the five ciphers: read the whole input, transform it in memory,
// replace the output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Result.h"

namespace tarnwerk {

enum class EmptyInput { Refused, Allowed };  // Blowfish alone encrypts an empty file

using BufferTransform = std::function<Status(std::vector<uint8_t>& buffer)>;

// Fails without touching outPath when it exists and overwrite is false, when the input cannot
// be read (or is empty and refused) and when the transform fails; otherwise outPath is replaced
// as a whole by the transformed buffer.
Status TransformFile(const std::string& inPath, const std::string& outPath, bool overwrite, EmptyInput empty,
                     const BufferTransform& transform);

}  // namespace tarnwerk
