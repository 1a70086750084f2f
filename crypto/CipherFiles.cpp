#include "crypto/CipherFiles.h"

#include "base/FileIo.h"
#include "crypto/SecureWipe.h"

namespace tarnwerk {

Status TransformFile(const std::string& inPath, const std::string& outPath, bool overwrite, EmptyInput empty,
                     const BufferTransform& transform) {
    if (!overwrite && PathExists(outPath)) return MakeError(ErrorCode::OutputExists, outPath);
    auto content = ReadWholeFile(inPath);
    if (!content) return content.error();
    if (content->empty() && empty == EmptyInput::Refused) return MakeError(ErrorCode::EmptyInput, inPath);
    Status status = transform(*content);
    if (status) status = ReplaceFileWith(outPath, {*content});
    // The buffer held plain data on one side or the other.
    SecureWipe(content->data(), content->size());
    return status;
}

}  // namespace tarnwerk
