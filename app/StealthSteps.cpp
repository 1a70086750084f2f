#include "app/StealthSteps.h"

#include <atomic>
#include <vector>

#include "app/Cancellation.h"
#include "app/DataFileInfo.h"
#include "app/Messages.h"
#include "app/PassphraseEntry.h"
#include "app/Session.h"
#include "app/StealthData.h"
#include "app/UserInterface.h"
#include "app/WorkflowSteps.h"
#include "config/AtomicOutput.h"
#include "config/Codepage.h"
#include "core/StealthExtract.h"
#include "core/StealthHide.h"
#include "core/StealthRoom.h"

namespace tarnwerk {
namespace {

constexpr int kIncorrectFileTitle = 407;
constexpr int kHiddenText = 435;
constexpr int kExtractedText = 430;
constexpr int kRetryText = 429;
constexpr int kStealthPromptText = 605;
constexpr int kPaletteText = 606;
constexpr int kRawText = 607;
constexpr int kTooSmallText = 608;
constexpr int kUseClassicText = 609;
constexpr int kAboveRecommendedText = 610;
constexpr int kHideAnywayText = 611;
constexpr int kNothingFoundText = 542;
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
            return MakeMessage(session, {kPaletteText, kUseClassicText}, MessageIcon::Exclamation, kIncorrectFileTitle);
        case StealthFit::Raw:
            return MakeMessage(session, {kRawText, kUseClassicText}, MessageIcon::Exclamation, kIncorrectFileTitle);
        case StealthFit::TooSmall:
            return MakeMessage(session, {kTooSmallText, kUseClassicText}, MessageIcon::Exclamation,
                               kIncorrectFileTitle);
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
    const Message question = MakeProductMessage(session, {kAboveRecommendedText, kHideAnywayText},
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

// One passphrase tried: the payload, nullopt after a wrong one, or an error shown (failed).
std::optional<Result<StealthPayload>> TryPassphrase(const Session& session, UserInterface& ui,
                                                    const std::string& carrier, int tries) {
    PassphraseSecrets secrets;
    const std::string prompt = tries == 1 ? session.Text(kStealthPromptText) : std::string();
    if (!AcceptPassphrase(session, ui, ui.AskStealthPassphrase(prompt), secrets))
        return Result<StealthPayload>(MakeError(ErrorCode::Cancelled));
    EngineRun run(ui);
    Result<StealthPayload> found = ExtractStealthFromFile(carrier, secrets.bytes, run.Run());
    if (!found && found.error().code == ErrorCode::NothingFound) return std::nullopt;
    return found;
}

}  // namespace

bool StealthHideSteps(Commands& commands, Session& session, UserInterface& ui, const std::string& dataPath,
                      const std::string& extension) {
    const std::string carrier = session.carrier.path;
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
    EndWithSuccess(commands, session, ui, kHiddenText, !session.mailAfterHide);
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
        std::optional<Result<StealthPayload>> found = TryPassphrase(session, ui, carrier, tries);
        if (found && !*found) {
            if (found->error().code != ErrorCode::Cancelled || ui.CancelRequested())
                ShowEngineError(session, ui, found->error());
            return StealthExtraction::Failed;
        }
        if (found) {
            if (!WriteOutput(session, ui, found->value(), outputPath)) return StealthExtraction::Failed;
            session.headerExtension = found->value().extension;
            ShowDataFileInfoOrigSize(session, outputPath);
            ui.FieldsChanged();
            EndWithSuccess(commands, session, ui, kExtractedText);
            return StealthExtraction::Extracted;
        }
        const bool last = tries >= kMaxPassphraseTries;
        const MessageAnswer answer =
            ui.ShowMessage(last ? EngineErrorMessage(session, MakeError(ErrorCode::NothingFound))
                                : MakeProductMessage(session, {kNothingFoundText, kRetryText}, MessageIcon::Exclamation,
                                                     MessageButtons::RetryCancel));
        if (last || answer != MessageAnswer::Retry) return StealthExtraction::Failed;
    }
}

}  // namespace tarnwerk
