// Needed carrier size: the payload prepared as a hide would prepare it, under a built-in trial
// passphrase, and the smallest carrier area the hide then accepts.
#include <optional>

#include "app/CommandFrame.h"
#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/Session.h"
#include "app/WorkflowSteps.h"
#include "app/Workflows.h"
#include "config/NumberFormat.h"
#include "core/PayloadFormat.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

constexpr int kSizeStatus = 311;
constexpr int kSizeErrorText = 421;
constexpr int kNeededTitle = 417;
constexpr int kNeededText = 418;
constexpr int kNeededUnitText = 419;
constexpr int kHeaderNotIncludedText = 420;
// Any fixed 18 characters serve: the stored-format ciphers' output length does not depend on
// the key. Never shown.
constexpr const char* kTrialPassphrase = "Tarnwerk-Probe-18c";

// Size of the payload after encryption, or nullopt after a failure that was shown.
std::optional<int64_t> EncryptedSize(Session& session, UserInterface& ui, ScratchFile& scratch) {
    const uint8_t cipher = session.settings.Algorithmus;
    // The authenticated cipher adds its nonce and tag; deriving its key would cost a second.
    if (cipher == static_cast<uint8_t>(CipherIndex::XChaCha20))
        return FileSize(scratch.path()) + static_cast<int64_t>(kXChaChaOverhead);
    PassphraseSecrets secrets;
    DeriveFromBytes(kTrialPassphrase, secrets);
    EncryptionInput input;
    input.cipher = cipher;
    input.key = secrets.key;
    if (!EncryptPayload(session, ui, scratch, input, kSizeErrorText)) return std::nullopt;
    return FileSize(scratch.path());
}

bool SizeSteps(Commands& commands, Session& session, UserInterface& ui) {
    ui.SetProgress(0);
    if (!EnsureDataFile(commands, session)) return false;
    const std::string dataPath = DataPath(session);
    ShowDataFileInfoOrigSize(session, dataPath);
    ui.FieldsChanged();

    std::optional<ScratchFile> scratch = PreparePlainPayload(session, ui, dataPath, kSizeErrorText);
    if (!scratch) return false;
    const bool encrypted = session.settings.Encryption == 1;
    std::optional<int64_t> size = FileSize(scratch->path());
    if (encrypted) size = EncryptedSize(session, ui, *scratch);
    if (!size) return false;

    ShowDataFileInfoSize(session, *size);
    ui.FieldsChanged();
    session.payloadSize = *size;
    const int64_t needed = NeededCarrierArea(*size, encrypted, session.bitsPerByte);
    const std::string text = session.Text(kNeededText) + " " + FormatHashGroupZero(needed, session.languageBase) + " " +
                             session.Text(kNeededUnitText) + "\r\n" + session.Text(kHeaderNotIncludedText);
    ui.ShowMessage(Message{text, MessageIcon::Information, MessageButtons::Ok, session.Text(kNeededTitle)});
    return true;
}

}  // namespace

bool RunCalculateSize(Commands& commands, Session& session, UserInterface& ui) {
    CommandFrame frame(session, ui, kSizeStatus);
    if (!frame.started()) return false;
    return SizeSteps(commands, session, ui);
}

}  // namespace tarnwerk
