// Extract: the engine writes the payload as stored into a scratch file beside the output; the
// passphrase is checked and the data decrypted and decompressed, each stage into a scratch
// file of its own. Only the complete result gets the output's name, so a failed or cancelled
// extraction never changes an existing file; a free name receives the data as far as it could
// be processed, and the message says so.
#include <optional>

#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/Session.h"
#include "app/StealthSteps.h"
#include "app/WorkflowSteps.h"
#include "app/Workflows.h"
#include "base/AtomicOutput.h"
#include "compression/clsZlib.h"
#include "config/Codepage.h"
#include "core/ExtractPayload.h"
#include "crypto/PayloadSeal.h"

namespace tarnwerk {
namespace {

constexpr int kMaxPassphraseTries = 3;

enum class Attempt { Decrypted, WrongPassphrase, Failed };

// How a stage ended that did not complete: the user stopped it (the data so far may be kept),
// it failed (textId, cause), or nothing of it is worth keeping (the third wrong passphrase).
struct Stop {
    enum class Kind { Cancelled, Failed, Abandoned } kind = Kind::Cancelled;
    TextId textId = TextId::ExtractErrorText;  // read only when it failed
    std::optional<Error> cause;
};

// One passphrase tried on the stored data; the decrypted data lands in a scratch file.
Attempt TryPassphrase(const Session& session, UserInterface& ui, const PayloadHeader& header, const PassphraseSecrets& secrets, const std::string& stored,
                      ScratchFile& decrypted, Error& failure) {
    const std::string headerBytes =
        BuildPayloadHeader(header.compressed(), true, header.cipher, header.checkValue, header.extension);
    const Status opened = SealFor(header.cipher)
                              ->Open(stored, decrypted.path(), {secrets.bytes, header.checkValue, headerBytes},
                                     CancellableSealCallbacks(session, ui, TextId::ExtractingStatus));
    if (opened) return Attempt::Decrypted;
    if (opened.error().code == ErrorCode::WrongKey) return Attempt::WrongPassphrase;
    failure = opened.error();
    return Attempt::Failed;
}

// Up to three passphrases; after the third wrong one nothing is kept, as nothing can be done
// with the data. Cancel keeps the encrypted bytes.
std::optional<Stop> Decrypt(const Session& session, UserInterface& ui, const PayloadHeader& header,
                            AtomicOutput& output) {
    for (int tries = 1;; ++tries) {
        PassphraseSecrets secrets;
        if (!AcceptPassphrase(session, ui, ui.AskPassphrase(), secrets)) return Stop{};
        Result<ScratchFile> decrypted = ScratchFile::CreateBeside(output.target());
        if (!decrypted) return Stop{Stop::Kind::Failed, TextId::DecryptionFailedText, decrypted.error()};
        Error failure;
        switch (TryPassphrase(session, ui, header, secrets, output.content().path(), *decrypted, failure)) {
            case Attempt::Decrypted:
                output.Take(std::move(*decrypted));
                return std::nullopt;
            case Attempt::Failed:
                return Stop{Stop::Kind::Failed, TextId::DecryptionFailedText, failure};
            case Attempt::WrongPassphrase:
                break;
        }
        if (tries >= kMaxPassphraseTries) {
            ui.ShowMessage(MakeMessage(session, {TextId::WrongPassphraseText, TextId::TerminatedText},
                                       MessageIcon::Exclamation, TextId::WrongPassphraseTitle));
            return Stop{Stop::Kind::Abandoned, TextId::ExtractErrorText, std::nullopt};
        }
        const MessageAnswer answer = ui.ShowMessage(
            MakeMessage(session, {TextId::WrongPassphraseText, TextId::RetryPassphraseText}, MessageIcon::Exclamation,
                        TextId::WrongPassphraseTitle, MessageButtons::RetryCancel));
        if (answer != MessageAnswer::Retry) return Stop{};
    }
}

std::optional<Stop> Decompress(UserInterface& ui, AtomicOutput& output) {
    Result<ScratchFile> plain = ScratchFile::CreateBeside(output.target());
    if (!plain) return Stop{Stop::Kind::Failed, TextId::DecompressionFailedText, plain.error()};
    ui.SetProgress(0);  // the extraction's share is done; this step reports none
    // Decompression works on the whole buffer at once: a cancel meanwhile counts right after it.
    if (Status decompressed = clsZlib().DecompressFile(output.content().path(), plain->path()); !decompressed)
        return Stop{Stop::Kind::Failed, TextId::DecompressionFailedText, decompressed.error()};
    ThrowIfCancelled(ui);
    output.Take(std::move(*plain));
    return std::nullopt;
}

// An extraction that stopped early: an existing output stays as it was; a free name receives
// the data as far as it was processed, so nothing hidden is lost.
void EndEarly(const Session& session, UserInterface& ui, AtomicOutput& output, bool existed, const Stop& stop) {
    if (stop.kind == Stop::Kind::Abandoned) return;
    const bool kept = !existed && output.Commit(AtomicOutput::Existing::Keep).ok();
    if (stop.kind == Stop::Kind::Cancelled) {
        if (kept) ui.ShowMessage(MakeProductMessage(session, {TextId::StillEncryptedText}, MessageIcon::Information));
        return;
    }
    Message message =
        MakeProductMessage(session, {stop.textId, kept ? TextId::OutputKeepsDataText : TextId::ExistingUnchangedText},
                           MessageIcon::Critical);
    if (stop.cause) AppendCause(session, message, *stop.cause);
    ui.ShowMessage(message);
}

bool ExtractSteps(Commands& commands, Session& session, UserInterface& ui) {
    if (!EnsureCarrier(commands, session) || !EnsureOutputFile(commands, session, ui, TextId::ExtractOutputTitle))
        return false;
    const std::string outputPath = DataPath(session);
    if (!AcceptOutputName(session, ui, outputPath)) return false;
    const bool existed = PathExists(outputPath);
    if (!MayReplaceOutput(session, ui, outputPath)) return false;
    if (session.extractMethod == HidingMethod::Stealth)
        return StealthExtractSteps(commands, session, ui, outputPath) == StealthExtraction::Extracted;
    Result<AtomicOutput> output = AtomicOutput::Create(outputPath);
    if (!output) {
        ui.ShowMessage(EngineErrorMessage(session, output.error()));
        return false;
    }

    Result<ExtractedPayload> extracted = ExtractPayload(session.carrier, session.bitsPerByte, output->content(),
                                                        CancellableProgress(ui));
    if (!extracted && extracted.error().code == ErrorCode::NoDataFound && !session.extractMethod) {
        // No marker: the data may be hidden with the stealth method, which shows none.
        const StealthExtraction stealth = StealthExtractSteps(commands, session, ui, outputPath);
        if (stealth != StealthExtraction::NotTried) return stealth == StealthExtraction::Extracted;
    }
    if (!extracted) {
        ui.ShowMessage(EngineErrorMessage(session, extracted.error()));
        return false;
    }
    ShowDataFileInfoSize(session, extracted->size);
    ui.FieldsChanged();

    const PayloadHeader& header = extracted->header;
    std::optional<Stop> stop;
    if (header.encrypted()) stop = Decrypt(session, ui, header, *output);
    if (!stop && header.compressed()) stop = Decompress(ui, *output);
    if (stop) {
        EndEarly(session, ui, *output, existed, *stop);
        return false;
    }
    if (Status committed = output->Commit(); !committed) {
        ui.ShowMessage(
            CommandFailureMessage(session, TextId::ExtractErrorText, DescribeError(session, committed.error())));
        return false;
    }
    ShowDataFileInfoOrigSize(session, outputPath);
    ui.FieldsChanged();
    EndWithSuccess(commands, session, ui, TextId::ExtractedText);
    return true;
}

}  // namespace

bool RunExtract(Commands& commands, Session& session, UserInterface& ui) {
    CommandFrame frame(session, ui, TextId::ExtractingStatus);
    frame.OnClose([&session] { session.headerExtension.clear(); });
    return frame.Run([&] { return ExtractSteps(commands, session, ui); });
}

}  // namespace tarnwerk
