#include "core/CarrierArea.h"

#include <unistd.h>

#include <cerrno>

#include "base/AtomicOutput.h"
#include "base/FileIo.h"
#include "core/CarrierAnalysis.h"
#include "core/FileArea.h"
#include "core/PngArea.h"

namespace tarnwerk {

Result<std::unique_ptr<CarrierArea>> OpenAreaForReading(const CarrierFacts& carrier) {
    if (carrier.IsPng()) return PngArea::OpenForReading(carrier);
    return FileArea::OpenForReading(carrier);
}

Result<std::unique_ptr<CarrierArea>> OpenAreaForHide(const CarrierFacts& carrier, const std::string& outputPath) {
    if (!outputPath.empty() && IsSameFile(carrier.path, outputPath)) return MakeError(ErrorCode::SameFile, outputPath);
    if (const HideRefusal refusal = RefusesHiding(carrier); refusal != HideRefusal::None)
        return MakeError(ErrorCode::CarrierRefused, carrier.path);
    if (!carrier.IsPng()) return FileArea::OpenForHide(carrier, outputPath);
    // The picture is replaced through a new file, which a read-only file would not stop: it
    // is refused here, as a bitmap is when it cannot be opened for writing.
    if (outputPath.empty() && ::access(carrier.path.c_str(), W_OK) != 0) return IoError(carrier.path, errno);
    return PngArea::OpenForHide(carrier, outputPath.empty() ? carrier.path : outputPath);
}

}  // namespace tarnwerk
