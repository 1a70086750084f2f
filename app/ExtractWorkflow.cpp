// Extract: the engine writes the payload as stored into a scratch file beside the output; the
// passphrase is checked and the data decrypted and decompressed, each stage into a scratch
// file of its own. Only the complete result gets the output's name, so a failed or cancelled
// extraction never changes an existing file; a free name receives the data as far as it could
// be processed, and the notice says so.
#include <optional>

#include "app/Cancellation.h"
#include "app/CommandFrame.h"
#include "app/OutputTarget.h"
#include "app/PassphraseEntry.h"
#include "app/UseCases.h"
#include "app/WorkflowSteps.h"
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
struct Halt {
    enum class Kind { Cancelled, Failed, Abandoned } kind = Kind::Cancelled;
    TextId textId = TextId::DecryptionFailedText;
    std::optional<Error> cause;
};

Halt HaltOn(TextId textId, const Error& error) {
    if (IsCancelled(error)) return Halt{};
    return Halt{Halt::Kind::Failed, textId, error};
}

// One passphrase tried on the stored data; the decrypted data lands in a scratch file.
Attempt TryPassphrase(ProgressSink& progress, const PayloadHeader& header, const PassphraseSecrets& secrets,
                      const std::string& stored, ScratchFile& decrypted, Error& failure) {
    const std::string headerBytes =
        BuildPayloadHeader(header.compressed(), true, header.cipher, header.checkValue, header.extension);
    const SealCallbacks callbacks = CancellableSealCallbacks(progress, TextId::ExtractingStatus);
    const Status opened = StopOnCancel([&] {
        return SealFor(header.cipher)
            ->Open(stored, decrypted.path(), {secrets.bytes, header.checkValue, headerBytes}, callbacks);
    });
    if (opened) return Attempt::Decrypted;
    if (opened.error().code == ErrorCode::WrongKey) return Attempt::WrongPassphrase;
    failure = opened.error();
    return Attempt::Failed;
}

// Up to three passphrases; after the third wrong one nothing is kept, as nothing can be done
// with the data. Cancel keeps the encrypted bytes.
std::optional<Halt> Decrypt(Prompter& prompter, ProgressSink& progress, const PayloadHeader& header,
                            AtomicOutput& output, ExtractOutcome& outcome) {
    for (int tries = 1;; ++tries) {
        PassphraseSecrets secrets;
        if (!AcceptPassphrase(prompter.AskPassphrase(), secrets, outcome)) return Halt{};
        Result<ScratchFile> decrypted = ScratchFile::CreateBeside(output.target());
        if (!decrypted) return Halt{Halt::Kind::Failed, TextId::DecryptionFailedText, decrypted.error()};
        Error failure;
        switch (TryPassphrase(progress, header, secrets, output.content().path(), *decrypted, failure)) {
            case Attempt::Decrypted:
                output.Take(std::move(*decrypted));
                return std::nullopt;
            case Attempt::Failed:
                return HaltOn(TextId::DecryptionFailedText, failure);
            case Attempt::WrongPassphrase:
                break;
        }
        if (tries >= kMaxPassphraseTries) {
            outcome.notices.push_back(Notice::Say({TextId::WrongPassphraseText, TextId::TerminatedText},
                                                  MessageIcon::Exclamation, TextId::WrongPassphraseTitle));
            return Halt{Halt::Kind::Abandoned, TextId::WrongPassphraseText, std::nullopt};
        }
        if (!prompter.Confirm(Question::RetryPassphrase)) return Halt{};
    }
}

std::optional<Halt> Decompress(ProgressSink& progress, AtomicOutput& output) {
    Result<ScratchFile> plain = ScratchFile::CreateBeside(output.target());
    if (!plain) return Halt{Halt::Kind::Failed, TextId::DecompressionFailedText, plain.error()};
    progress.SetProgress(0);  // the extraction's share is done; this step reports none
    // Decompression works on the whole buffer at once: a cancel meanwhile counts right after it.
    if (Status decompressed = clsZlib().DecompressFile(output.content().path(), plain->path()); !decompressed)
        return HaltOn(TextId::DecompressionFailedText, decompressed.error());
    if (progress.CancelRequested()) return Halt{};
    output.Take(std::move(*plain));
    return std::nullopt;
}

// An extraction that stopped early: an existing output stays as it was; a free name receives
// the data as far as it was processed, so nothing hidden is lost.
void EndEarly(AtomicOutput& output, bool existed, const Halt& halt, ExtractOutcome& outcome) {
    if (halt.kind == Halt::Kind::Abandoned) {
        outcome.ending = Ending::Refused;
        return;
    }
    const bool kept = !existed && output.Commit(AtomicOutput::Existing::Keep).ok();
    if (kept) outcome.written.push_back(output.target());
    if (halt.kind == Halt::Kind::Cancelled) {
        // A refused passphrase has set the ending already.
        if (outcome.ending == Ending::Done) outcome.ending = Ending::Cancelled;
        if (kept) outcome.notices.push_back(Notice::Say({TextId::StillEncryptedText}, MessageIcon::Information));
        return;
    }
    outcome.ending = Ending::Failed;
    Notice notice = Notice::Say({halt.textId, kept ? TextId::OutputKeepsDataText : TextId::ExistingUnchangedText},
                                MessageIcon::Critical);
    notice.cause = halt.cause;
    outcome.notices.push_back(std::move(notice));
}

// The stored payload unpacked into the output's scratch content.
void Unpack(Prompter& prompter, ProgressSink& progress, const PayloadHeader& header, AtomicOutput& output, bool existed,
            ExtractOutcome& outcome) {
    std::optional<Halt> halt;
    outcome.ending = Ending::Done;  // so far; a stage that stops sets the real ending
    if (header.encrypted()) halt = Decrypt(prompter, progress, header, output, outcome);
    if (!halt && header.compressed()) halt = Decompress(progress, output);
    if (halt) {
        EndEarly(output, existed, *halt, outcome);
        return;
    }
    if (Status committed = output.Commit(); !committed) {
        Stop(outcome, Ending::Failed, Notice::Failure(TextId::ExtractErrorText, committed.error()));
        return;
    }
    outcome.written.push_back(output.target());
    outcome.success = Notice::Say({TextId::ExtractedText}, MessageIcon::Information);
}

void ExtractSteps(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress, ExtractOutcome& outcome) {
    if (!ResolveOutput(request, TextId::ExtractOutputTitle, prompter, outcome)) return;
    const std::string& outputPath = outcome.outputPath;
    const bool existed = PathExists(outputPath);
    if (!MayReplaceOutput(prompter, outputPath, outcome)) return;
    Result<AtomicOutput> output = AtomicOutput::Create(outputPath);
    if (!output) {
        Stop(outcome, Ending::Failed, Notice::Engine(output.error()));
        return;
    }
    Result<ExtractedPayload> extracted = StopOnCancel([&] {
        return ExtractPayload(request.carrier, request.bitsPerByte, output->content(), CancellableProgress(progress));
    });
    if (!extracted) {
        StopOn(outcome, extracted.error(), Notice::Engine(extracted.error()));
        return;
    }
    outcome.storedSize = extracted->size;
    Unpack(prompter, progress, extracted->header, *output, existed, outcome);
}

}  // namespace

ExtractOutcome Extract(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress) {
    CommandFrame frame(progress, TextId::ExtractingStatus);
    ExtractOutcome outcome;
    ExtractSteps(request, prompter, progress, outcome);
    return outcome;
}

}  // namespace tarnwerk
