// The window's long commands: the carrier and files picked on the window's thread, the use
// case run with the prompter and progress sink the front-end gives, the outcome shown back on
// the window's thread.
#include <memory>

#include "app/Commands.h"
#include "app/DataFileInfo.h"
#include "app/DataFileSelection.h"
#include "app/MailedArchives.h"
#include "app/Messages.h"
#include "app/ResultName.h"
#include "app/UseCases.h"
#include "base/Helpers.h"

namespace tarnwerk {

bool Commands::EnsureCarrier() {
    if (!session_.carrier.IsLoaded()) SelectCarrier();
    return session_.carrier.IsLoaded();
}

bool Commands::EnsureDataFile() {
    if (session_.fields.dataFile.empty()) SelectDataFile();
    return !session_.fields.dataFile.empty();
}

std::optional<PreparedCommand> Commands::Prepare(LongCommand command) {
    switch (command) {
        case LongCommand::Hide:
            return PrepareHide(false);
        case LongCommand::HideAndSend:
            return PrepareHide(true);
        case LongCommand::Extract:
            return PrepareExtract(false);
        case LongCommand::Export:
            return PrepareExtract(true);
        case LongCommand::NeededSize:
            return PrepareSize();
        case LongCommand::SendCarrier:
            break;
    }
    return PrepareSend();
}

bool Commands::Run(LongCommand command) {
    std::optional<PreparedCommand> prepared = Prepare(command);
    if (!prepared) return false;
    prepared->work(prompter_, progress_);
    return prepared->finish();
}

bool Commands::Conclude(const Outcome& outcome, bool mayReset) {
    for (const Notice& notice : outcome.notices) ui_.ShowMessage(RenderNotice(session_.languageBase, notice));
    if (!outcome.ok()) return false;
    if (outcome.success && session_.settings.ShowEndMessage)
        ui_.ShowMessage(RenderNotice(session_.languageBase, *outcome.success));
    if (session_.settings.ResetOnEnd && mayReset) Reset();
    return true;
}

std::optional<std::optional<std::string>> Commands::ChooseResultFile() {
    if (!session_.settings.KeepOriginal) return std::optional<std::string>();
    const std::string& carrier = session_.carrier.path;
    const std::string chosen = ui_.ChooseResultFile(ResultFilter(session_.carrierFilter, carrier),
                                                    session_.Text(TextId::SaveResultTitle), ProposeResultName(carrier));
    if (chosen.empty()) return std::nullopt;
    return chosen;
}

std::optional<PreparedCommand> Commands::PrepareHide(bool thenSend) {
    if (!EnsureCarrier() || !EnsureDataFile()) return std::nullopt;
    const std::optional<std::optional<std::string>> output = ChooseResultFile();
    if (!output) return std::nullopt;
    // The command works on the carrier as it is now, whatever the window does meanwhile.
    HideRequest request{session_.carrier,   session_.fields.dataFile, session_.dataExtension,
                        session_.Options(), session_.settings.Method, *output};
    ShowDataFileInfoOrigSize(session_, request.dataPath);
    ui_.FieldsChanged();
    auto hidden = std::make_shared<HideOutcome>();
    auto mailed = std::make_shared<std::optional<Outcome>>();
    // Hide-and-send mails what the hide wrote: the carrier, or the new file.
    const MailRequest mail = MailRequestFor(output->value_or(session_.fields.origFile));
    Desktop& desktop = desktop_;
    PreparedCommand prepared;
    prepared.work = [request, hidden, mailed, thenSend, mail, &desktop](Prompter& prompter, ProgressSink& progress) {
        *hidden = tarnwerk::Hide(request, prompter, progress);
        if (thenSend && hidden->ok()) *mailed = tarnwerk::SendCarrier(mail, prompter, progress, desktop);
    };
    prepared.finish = [this, hidden, mailed, thenSend, result = output->value_or("")] {
        // Send mails a new file the hide wrote, until another carrier comes.
        if (hidden->ok()) session_.resultPath = result;
        // Hide-and-send mails the carrier next; the reset follows the mail.
        if (!FinishHide(*hidden, !thenSend) || !thenSend) return hidden->ok();
        return mailed->has_value() && Conclude(**mailed);
    };
    return prepared;
}

bool Commands::FinishHide(const HideOutcome& outcome, bool mayReset) {
    if (outcome.payloadSize >= 0) {
        session_.payloadSize = outcome.payloadSize;
        ShowDataFileInfoSize(session_, outcome.payloadSize);
        ui_.FieldsChanged();
    }
    return Conclude(outcome, mayReset);
}

std::optional<PreparedCommand> Commands::PrepareExtract(bool exporting) {
    if (!EnsureCarrier()) return std::nullopt;
    // The window always chooses the output in its save dialog.
    const ExtractRequest request{session_.carrier, session_.settings.bitsPerByte, std::nullopt};
    auto outcome = std::make_shared<ExtractOutcome>();
    PreparedCommand prepared;
    prepared.work = [request, outcome, exporting](Prompter& prompter, ProgressSink& progress) {
        *outcome =
            exporting ? tarnwerk::Export(request, prompter, progress) : tarnwerk::Extract(request, prompter, progress);
    };
    prepared.finish = [this, outcome] { return FinishExtract(*outcome); };
    return prepared;
}

bool Commands::FinishExtract(const ExtractOutcome& outcome) {
    if (!outcome.outputPath.empty()) {
        ApplyExtractedFile(session_, outcome.outputPath, outcome.storedExtension);
        if (outcome.storedSize >= 0) ShowDataFileInfoSize(session_, outcome.storedSize);
        if (outcome.ok()) ShowDataFileInfoOrigSize(session_, outcome.outputPath);
        ui_.FieldsChanged();
    }
    return Conclude(outcome);
}

std::optional<PreparedCommand> Commands::PrepareSize() {
    if (!EnsureDataFile()) return std::nullopt;
    const SizeRequest request{session_.fields.dataFile, session_.Options()};
    ShowDataFileInfoOrigSize(session_, request.dataPath);
    ui_.FieldsChanged();
    auto outcome = std::make_shared<SizeOutcome>();
    PreparedCommand prepared;
    prepared.work = [request, outcome](Prompter&, ProgressSink& progress) { *outcome = NeededSize(request, progress); };
    prepared.finish = [this, outcome] {
        if (outcome->ok()) {
            session_.payloadSize = outcome->payloadSize;
            ShowDataFileInfoSize(session_, outcome->payloadSize);
            ui_.FieldsChanged();
        }
        // The needed size is the command's answer, shown whatever ShowEndMessage says.
        for (const Notice& notice : outcome->notices) ui_.ShowMessage(RenderNotice(session_.languageBase, notice));
        return outcome->ok();
    };
    return prepared;
}

MailRequest Commands::MailRequestFor(const std::string& carrier) {
    MailRequest request;
    request.carrierPath = carrier;
    request.pack = session_.settings.SendCompress;
    request.deleteArchive = session_.settings.SendDelete;
    request.mailedArchivesList = MailedArchivesPath(session_.iniPath);
    UserInterface& ui = ui_;
    const int languageBase = session_.languageBase;
    request.lateNotice = [&ui, languageBase](const Notice& notice) {
        ui.ShowMessage(RenderNotice(languageBase, notice));
    };
    return request;
}

std::optional<PreparedCommand> Commands::PrepareSend() {
    if (!EnsureCarrier()) return std::nullopt;
    const MailRequest request =
        MailRequestFor(session_.resultPath.empty() ? session_.fields.origFile : session_.resultPath);
    auto outcome = std::make_shared<Outcome>();
    Desktop& desktop = desktop_;
    PreparedCommand prepared;
    prepared.work = [request, outcome, &desktop](Prompter& prompter, ProgressSink& progress) {
        *outcome = tarnwerk::SendCarrier(request, prompter, progress, desktop);
    };
    prepared.finish = [this, outcome] { return Conclude(*outcome); };
    return prepared;
}

}  // namespace tarnwerk
