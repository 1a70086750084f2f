// Needed carrier size: the size the payload would have after compression and encryption, and
// the smallest carrier area the hide then accepts. Nothing is written: compression is counted
// while streaming, encryption's size follows from the cipher's envelope.
#include <optional>

#include "app/CommandFrame.h"
#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "app/WorkflowSteps.h"
#include "app/Workflows.h"
#include "config/NumberFormat.h"
#include "core/Capacity.h"
#include "core/PayloadFormat.h"

namespace tarnwerk {
namespace {

bool SizeSteps(Commands& commands, Session& session, UserInterface& ui) {
    ui.SetProgress(0);
    if (!EnsureDataFile(commands, session)) return false;
    const std::string dataPath = DataPath(session);
    ShowDataFileInfoOrigSize(session, dataPath);
    ui.FieldsChanged();

    const bool encrypted = session.settings.Encryption == 1;
    std::optional<int64_t> size = MeasurePlainPayload(session, ui, dataPath, TextId::SizeErrorText);
    if (size && encrypted) size = MeasureEncryptedPayload(session, ui, *size);
    if (!size) return false;

    ShowDataFileInfoSize(session, *size);
    ui.FieldsChanged();
    session.payloadSize = *size;
    const int64_t needed = SmallestCarrierArea(*size, session.bitsPerByte, encrypted);
    const std::string text =
        session.Text(TextId::NeededSizeText) + " " + FormatHashGroupZero(needed, session.languageBase) + " " +
        session.Text(TextId::NeededSizeUnitText) + "\r\n" + session.Text(TextId::HeaderNotIncludedText);
    ui.ShowMessage(Message{text, MessageIcon::Information, MessageButtons::Ok, session.Text(TextId::NeededSizeTitle)});
    return true;
}

}  // namespace

bool RunCalculateSize(Commands& commands, Session& session, UserInterface& ui) {
    CommandFrame frame(session, ui, TextId::HidingStatus);
    return frame.Run([&] { return SizeSteps(commands, session, ui); });
}

}  // namespace tarnwerk
