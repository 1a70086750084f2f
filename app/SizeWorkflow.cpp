// Needed carrier size: the size the payload would have after compression and encryption, and
// the smallest carrier area the hide then accepts. Nothing is written: compression is counted
// while streaming, encryption's size follows from the cipher's envelope.
#include <optional>

#include "app/CommandFrame.h"
#include "app/UseCases.h"
#include "app/WorkflowSteps.h"
#include "core/Capacity.h"

namespace tarnwerk {
namespace {}  // namespace

SizeOutcome NeededSize(const SizeRequest& request, ProgressSink& progress) {
    CommandFrame frame(progress, TextId::HidingStatus);
    progress.SetProgress(0);
    SizeOutcome outcome;
    const PayloadOptions& options = request.options;
    std::optional<int64_t> size =
        MeasurePlainPayload(request.dataPath, options.compress, progress, TextId::SizeErrorText, outcome);
    if (size && options.encrypt) size = MeasureEncryptedPayload(options.cipher, *size, outcome);
    if (!size) return outcome;

    outcome.ending = Ending::Done;
    outcome.payloadSize = *size;
    outcome.needed = SmallestCarrierArea(*size, options.bitsPerByte, options.encrypt);
    Notice notice = Notice::Say({TextId::NeededSizeText, TextId::NeededSizeUnitText, TextId::HeaderNotIncludedText},
                                MessageIcon::Information, TextId::NeededSizeTitle);
    notice.shape = Notice::Shape::NeededSize;
    notice.amount = outcome.needed;
    outcome.notices.push_back(std::move(notice));
    return outcome;
}

}  // namespace tarnwerk
