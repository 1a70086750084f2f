#include "app/StealthSteps.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

#include "app/PassphraseEntry.h"
#include "app/StealthData.h"
#include "app/WorkflowSteps.h"
#include "base/AtomicOutput.h"
#include "base/FileIo.h"
#include "config/Codepage.h"
#include "config/TextId.h"
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
    explicit EngineRun(ProgressSink& progress) : progress_(progress) {}
    StealthRun Run() {
        return StealthRun{[this](int percent) {
                              progress_.SetProgress(percent);
                              if (progress_.CancelRequested()) cancel_ = true;
                          },
                          &cancel_};
    }

private:
    ProgressSink& progress_;
    std::atomic<bool> cancel_{false};
};

// Why the carrier cannot take stealth data, pointing to the classic method where it can.
Notice RefusalNotice(const StealthAssessment& assessment) {
    const auto refuse = [](TextId reason) {
        return Notice::Say({reason, TextId::UseClassicMethodHint}, MessageIcon::Exclamation,
                           TextId::IncorrectFileTitle);
    };
    switch (assessment.fit) {
        case StealthFit::Palette:
            return refuse(TextId::StealthPaletteRefusal);
        case StealthFit::Raw:
            return refuse(TextId::StealthRawRefusal);
        case StealthFit::TooSmall:
            return refuse(TextId::StealthTooSmallRefusal);
        case StealthFit::Fits:
        case StealthFit::Refused:
        case StealthFit::Unreadable:
            break;
    }
    return Notice::Engine(assessment.error);
}

// The carrier as the hide may change it: the core replaces it by a renamed file, which a
// write-protected carrier in a writable folder would not stop, so the protection is honoured
// here as a classic hide's open honours it.
std::optional<StealthAssessment> JudgeCarrier(const std::string& carrier, ProgressSink& progress,
                                              HideOutcome& outcome) {
    if (::access(carrier.c_str(), W_OK) != 0) {
        Stop(outcome, Ending::Failed, Notice::Engine(IoError(carrier, errno)));
        return std::nullopt;
    }
    progress.SetProgress(ProgressSink::kBusy);  // the costs of a large picture take a second
    StealthAssessment assessment = AssessStealthCarrier(carrier);
    progress.SetProgress(0);
    if (assessment.fit == StealthFit::Fits) return assessment;
    Stop(outcome, Ending::Refused, RefusalNotice(assessment));
    return std::nullopt;
}

bool WriteOutput(const StealthPayload& payload, const std::string& outputPath, ExtractOutcome& outcome) {
    Result<AtomicOutput> output = AtomicOutput::Create(outputPath);
    Status written = output ? WriteStealthPayload(payload, *output) : Status(output.error());
    if (written) written = output->Commit();
    if (!written) {
        Stop(outcome, Ending::Failed, Notice::Engine(written.error()));
        return false;
    }
    outcome.written.push_back(outputPath);
    return true;
}

// One passphrase tried on the carrier.
struct Attempt {
    enum class Kind { Found, Wrong, Declined, Failed } kind = Kind::Declined;
    std::optional<StealthPayload> payload;
};

Attempt TryPassphrase(const std::string& carrier, Prompter& prompter, ProgressSink& progress, ExtractOutcome& outcome) {
    std::optional<std::string> typed = prompter.AskStealthPassphrase();
    if (!typed) return {};
    PassphraseSecrets secrets;
    if (!AcceptPassphrase(std::move(typed), secrets, outcome)) return {Attempt::Kind::Failed, std::nullopt};
    EngineRun run(progress);
    Result<StealthPayload> found = ExtractStealthFromFile(carrier, secrets.bytes, run.Run());
    if (found) return {Attempt::Kind::Found, std::move(*found)};
    if (found.error().code == ErrorCode::NothingFound) return {Attempt::Kind::Wrong, std::nullopt};
    StopOn(outcome, found.error(), Notice::Engine(found.error()));
    return {Attempt::Kind::Failed, std::nullopt};
}

void Deliver(const StealthPayload& payload, ExtractOutcome& outcome) {
    if (!WriteOutput(payload, outcome.outputPath, outcome)) return;
    outcome.storedExtension = Cp1252ToUtf8(payload.extension);
    outcome.storedSize = static_cast<int64_t>(payload.data.size());
    outcome.ending = Ending::Done;
    outcome.success = Notice::Say({TextId::ExtractedText}, MessageIcon::Information);
}

}  // namespace

bool StealthHideSteps(const HideRequest& request, const std::string& extension, Prompter& prompter,
                      ProgressSink& progress, HideOutcome& outcome) {
    const std::string& carrier = request.carrier.path;
    const std::optional<StealthAssessment> assessment = JudgeCarrier(carrier, progress, outcome);
    if (!assessment) return false;
    Result<StealthPayload> payload =
        ReadStealthPayload(request.dataPath, extension, request.options.compress, assessment->room.maximum,
                           [&progress](int percent) { progress.SetProgress(percent); });
    if (!payload) {
        StopOn(outcome, payload.error(), Notice::Engine(payload.error()));
        return false;
    }
    outcome.payloadSize = static_cast<int64_t>(payload->data.size());
    if (outcome.payloadSize > assessment->room.recommended && !prompter.Confirm(Question::HideAboveRecommended)) {
        outcome.ending = Ending::Refused;
        return false;
    }
    PassphraseSecrets secrets;
    if (!AcceptPassphrase(prompter.AskNewPassphrase(), secrets, outcome)) return false;
    EngineRun run(progress);
    const std::string target = request.outputPath.value_or(carrier);
    if (Status hidden = HideStealthInFile(carrier, target, secrets.bytes, *payload, run.Run()); !hidden) {
        StopOn(outcome, hidden.error(), Notice::Engine(hidden.error()));
        return false;
    }
    return true;
}

StealthExtraction StealthExtractSteps(const ExtractRequest& request, Prompter& prompter, ProgressSink& progress,
                                      ExtractOutcome& outcome) {
    const bool only = request.method == ExtractMethod::Stealth;
    const StealthAssessment assessment = AssessStealthCarrier(request.carrier.path);
    if (assessment.fit != StealthFit::Fits) {
        if (!only) return StealthExtraction::NotTried;
        Stop(outcome, Ending::Refused, RefusalNotice(assessment));
        return StealthExtraction::Ended;
    }
    for (int tries = 1;; ++tries) {
        Attempt attempt = TryPassphrase(request.carrier.path, prompter, progress, outcome);
        switch (attempt.kind) {
            case Attempt::Kind::Found:
                Deliver(*attempt.payload, outcome);
                return StealthExtraction::Ended;
            case Attempt::Kind::Failed:
                return StealthExtraction::Ended;
            case Attempt::Kind::Declined:
                // Declined at once after the probe found nothing: the probe's answer stands.
                if (tries == 1 && !only) return StealthExtraction::NotTried;
                outcome.ending = Ending::Cancelled;
                return StealthExtraction::Ended;
            case Attempt::Kind::Wrong:
                break;
        }
        if (tries >= kMaxPassphraseTries) {
            Stop(outcome, Ending::Refused, Notice::Engine(MakeError(ErrorCode::NothingFound)));
            return StealthExtraction::Ended;
        }
        if (!prompter.Confirm(Question::RetryStealthPassphrase)) {
            outcome.ending = Ending::Refused;
            return StealthExtraction::Ended;
        }
    }
}

}  // namespace tarnwerk
