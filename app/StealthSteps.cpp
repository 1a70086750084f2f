#include "app/StealthSteps.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <vector>

#include "app/Cancellation.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/Session.h"
#include "app/StealthData.h"
#include "app/UserInterface.h"
#include "app/WorkflowSteps.h"
#include "base/AtomicOutput.h"
#include "config/Codepage.h"
#include "base/FileIo.h"
#include "core/StealthExtract.h"
#include "core/StealthHide.h"
#include "core/StealthRoom.h"

namespace tarnwerk {
namespace {

constexpr int kMaxPassphraseTries = 3;

// The engine spreads its work over threads, so a cancel reaches it as a flag it checks; an
// exception through its progress callback would leave those threads running.
class EngineRun {
public:
    explicit EngineRun(UserInterface& ui) : ui_(ui) {}
    StealthRun Run() {
        return StealthRun{[this](int percent) {
                              ui_.SetProgress(percent);
                              if (ui_.CancelRequested()) cancel_ = true;
                          },
                          &cancel_};
    }

private:
    UserInterface& ui_;
    std::atomic<bool> cancel_{false};
};

// Why the carrier cannot take stealth data, pointing to the classic method where it can.
Message RefusalMessage(const Session& session, const StealthAssessment& assessment) {
    switch (assessment.fit) {
        case StealthFit::Palette:
            return MakeMessage(session, {TextId::StealthPaletteRefusal, TextId::UseClassicMethodHint},
                               MessageIcon::Exclamation, TextId::IncorrectFileTitle);
        case StealthFit::Raw:
            return MakeMessage(session, {TextId::StealthRawRefusal, TextId::UseClassicMethodHint},
                               MessageIcon::Exclamation, TextId::IncorrectFileTitle);
        case StealthFit::TooSmall:
            return MakeMessage(session, {TextId::StealthTooSmallRefusal, TextId::UseClassicMethodHint},
                               MessageIcon::Exclamation, TextId::IncorrectFileTitle);
        case StealthFit::Fits:
        case StealthFit::Refused:
        case StealthFit::Unreadable:
            break;
    }
    return EngineErrorMessage(session, assessment.error);
}

// An engine error: a cancel ends the command the usual way once the engine has stopped.
void ShowEngineError(const Session& session, UserInterface& ui, const Error& error) {
    if (error.code == ErrorCode::Cancelled) ThrowIfCancelled(ui);
    ui.ShowMessage(EngineErrorMessage(session, error));
}

bool ConfirmAboveRecommended(const Session& session, UserInterface& ui) {
    const Message question = MakeProductMessage(session, {TextId::AboveRecommendedRoomText, TextId::HideAnywayQuestion},
                                                MessageIcon::Question, MessageButtons::YesNo);
    return ui.ShowMessage(question) == MessageAnswer::Yes;
}

bool WriteOutput(const Session& session, UserInterface& ui, const StealthPayload& payload,
                 const std::string& outputPath) {
    Result<AtomicOutput> output = AtomicOutput::Create(outputPath);
    Status written = output ? WriteStealthPayload(payload, *output) : Status(output.error());
    if (written) written = output->Commit();
    if (!written) ui.ShowMessage(EngineErrorMessage(session, written.error()));
    return written.ok();
}

// One passphrase tried on the carrier.
struct Attempt {
    enum class Kind { Found, Wrong, Declined, Failed } kind = Kind::Declined;
    std::optional<StealthPayload> payload;
    Error error;  // Failed
};

Attempt TryPassphrase(const Session& session, UserInterface& ui, const std::string& carrier, int tries) {
    PassphraseSecrets secrets;
    const std::string prompt = tries == 1 ? session.Text(TextId::StealthPassphrasePrompt) : std::string();
    if (!AcceptPassphrase(session, ui, ui.AskStealthPassphrase(prompt), secrets)) return {};
    EngineRun run(ui);
    Result<StealthPayload> found = ExtractStealthFromFile(carrier, secrets.bytes, run.Run());
    if (found) return {Attempt::Kind::Found, std::move(*found), {}};
    if (found.error().code == ErrorCode::NothingFound) return {Attempt::Kind::Wrong, std::nullopt, {}};
    return {Attempt::Kind::Failed, std::nullopt, found.error()};
}

// The found data under the output's name, and the end of a successful command.
bool Deliver(Commands& commands, Session& session, UserInterface& ui, const StealthPayload& payload,
             const std::string& outputPath) {
    if (!WriteOutput(session, ui, payload, outputPath)) return false;
    session.headerExtension = payload.extension;
    ShowDataFileInfoOrigSize(session, outputPath);
    ui.FieldsChanged();
    EndWithSuccess(commands, session, ui, TextId::ExtractedText);
    return true;
}

}  // namespace

bool StealthHideSteps(Commands& commands, Session& session, UserInterface& ui, const std::string& dataPath,
                      const std::string& extension) {
    const std::string carrier = session.carrier.path;
    // The hide replaces the carrier by a renamed file, which a write-protected carrier in a
    // writable folder would not stop: the protection is honoured as a classic hide's open is.
    if (::access(carrier.c_str(), W_OK) != 0) {
        ui.ShowMessage(EngineErrorMessage(session, IoError(carrier, errno)));
        return false;
    }
    ui.SetProgress(UserInterface::kProgressBusy);
    const StealthAssessment assessment = AssessStealthCarrier(carrier);
    ui.SetProgress(0);
    if (assessment.fit != StealthFit::Fits) {
        ui.ShowMessage(RefusalMessage(session, assessment));
        return false;
    }
    Result<StealthPayload> payload = ReadStealthPayload(dataPath, extension, session.settings.Compression == 1,
                                                        assessment.room.maximum, CancellableProgress(ui));
    if (!payload) {
        ui.ShowMessage(EngineErrorMessage(session, payload.error()));
        return false;
    }
    session.payloadSize = static_cast<int64_t>(payload->data.size());
    ShowDataFileInfoSize(session, session.payloadSize);
    ui.FieldsChanged();
    if (session.payloadSize > assessment.room.recommended && !ConfirmAboveRecommended(session, ui)) return false;
    PassphraseSecrets secrets;
    if (!AcceptPassphrase(session, ui, ui.AskNewPassphrase(), secrets)) return false;
    EngineRun run(ui);
    if (Status hidden = HideStealthInFile(carrier, carrier, secrets.bytes, *payload, run.Run()); !hidden) {
        ShowEngineError(session, ui, hidden.error());
        return false;
    }
    EndWithSuccess(commands, session, ui, TextId::HiddenText, !session.mailAfterHide);
    session.mailAfterHide = false;
    return true;
}

StealthExtraction StealthExtractSteps(Commands& commands, Session& session, UserInterface& ui,
                                      const std::string& outputPath) {
    const std::string carrier = session.carrier.path;
    const StealthAssessment assessment = AssessStealthCarrier(carrier);
    if (assessment.fit != StealthFit::Fits) {
        if (session.extractMethod != HidingMethod::Stealth) return StealthExtraction::NotTried;
        ui.ShowMessage(RefusalMessage(session, assessment));
        return StealthExtraction::Failed;
    }
    for (int tries = 1;; ++tries) {
        Attempt attempt = TryPassphrase(session, ui, carrier, tries);
        switch (attempt.kind) {
            case Attempt::Kind::Found:
                return Deliver(commands, session, ui, *attempt.payload, outputPath) ? StealthExtraction::Extracted
                                                                                    : StealthExtraction::Failed;
            case Attempt::Kind::Failed:
                ShowEngineError(session, ui, attempt.error);
                return StealthExtraction::Failed;
            case Attempt::Kind::Declined:
                // Declined at once after the probe found nothing: the probe's answer stands.
                return tries == 1 && !session.extractMethod ? StealthExtraction::NotTried : StealthExtraction::Failed;
            case Attempt::Kind::Wrong:
                break;
        }
        const bool last = tries >= kMaxPassphraseTries;
        const MessageAnswer answer =
            ui.ShowMessage(last ? EngineErrorMessage(session, MakeError(ErrorCode::NothingFound))
                                : MakeProductMessage(session, {TextId::NothingFoundCause, TextId::RetryPassphraseText},
                                                     MessageIcon::Exclamation, MessageButtons::RetryCancel));
        if (last || answer != MessageAnswer::Retry) return StealthExtraction::Failed;
    }
}

}  // namespace tarnwerk
