#include "app/Commands.h"

#include <charconv>
#include <system_error>

#include "app/CarrierLoader.h"
#include "app/DataFileInfo.h"
#include "app/DataFileSelection.h"
#include "app/Messages.h"
#include "app/StatusPanels.h"
#include "app/ViewerHelp.h"
#include "base/Helpers.h"
#include "config/TextId.h"

namespace tarnwerk {

namespace {

constexpr const char* kGlobalSection = "Global";

// Shortest decimal text that reads back as the same single-precision value.
std::string SingleText(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value), std::chars_format::fixed);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

}  // namespace

Commands::Commands(Session& session, UserInterface& ui, Desktop& desktop, Prompter& prompter, ProgressSink& progress)
    : session_(session), ui_(ui), desktop_(desktop), prompter_(prompter), progress_(progress) {}

bool Commands::LoadCarrier(const std::string& path) {
    const bool loaded = LoadCarrierInto(session_, ui_, path);
    ui_.FieldsChanged();
    return loaded;
}

void Commands::SelectCarrier() {
    // The name exactly as chosen: blanks at either end belong to it.
    const std::string chosen = ui_.ChooseCarrierFile(session_.carrierFilter, session_.Text(TextId::CarrierDialogTitle));
    if (chosen.empty()) return;
    if (!IsUsableCarrierFile(chosen)) {
        ui_.ShowMessage(MakeMessage(session_, {TextId::CarrierMissingText, TextId::CarrierReadOnlyText},
                                    MessageIcon::Exclamation, TextId::CarrierDialogTitle));
        return;
    }
    LoadCarrier(chosen);
}

void Commands::SelectDataFile() {
    if (ChooseDataFileInto(session_, ui_)) ui_.FieldsChanged();
}

void Commands::DropCarrier(const std::vector<std::string>& files) {
    if (files.size() != 1) return;
    const std::string& path = files.front();
    if (!IsUsableCarrierFile(path)) {
        ui_.ShowMessage(Message{path + "\r\n" + session_.Text(TextId::DroppedMissingText) + "\r\n" +
                                    session_.Text(TextId::DroppedReadOnlyText),
                                MessageIcon::Exclamation, MessageButtons::Ok,
                                session_.Text(TextId::IncorrectFileTitle)});
        return;
    }
    LoadCarrier(path);
}

void Commands::DropDataFile(const std::vector<std::string>& files) {
    if (files.size() != 1) return;
    ApplyGivenDataFile(session_, files.front());
    ui_.FieldsChanged();
}

void Commands::SetDataFile(const std::string& path) {
    if (IsBlank(path)) {
        session_.fields.dataFile.clear();
        session_.fields.dOrigSize.clear();
        session_.fields.dSize.clear();
        session_.dataExtension.clear();
    } else {
        ApplyGivenDataFile(session_, path);
    }
    ui_.FieldsChanged();
}

void Commands::Reset() {
    session_.resultPath.clear();
    session_.fields = WindowFields{};
    session_.payloadSize = 0;
    session_.dataExtension.clear();
    // Only what marks the carrier as loaded; the other facts keep their values.
    session_.carrier.path.clear();
    session_.carrier.signature.clear();
    session_.carrier.fileSize = 0;
    session_.carrier.headerSize = 0;
    ui_.FieldsChanged();
}

void Commands::Activate() {
    if (!session_.fields.origFile.empty()) LoadCarrier(session_.fields.origFile);
    ShowStatusPanels(session_, ui_);
}

void Commands::ShowCarrier() { ShowCarrierInViewer(*this, session_, ui_, desktop_); }

void Commands::ShowHelp() { ShowHelpFile(session_, ui_, desktop_); }

void Commands::SaveOptions(const SettingsRecord& record) {
    const Status saved = SaveSettings(session_.iniPath, record);
    // The record is taken also when writing failed, so the running program uses what the
    // user chose.
    session_.settings = record;
    if (!saved) {
        Message message = MakeProductMessage(session_, {TextId::SettingsNotSavedText}, MessageIcon::Critical);
        AppendCause(session_, message, saved.error());
        ui_.ShowMessage(message);
    }
}

void Commands::OptionsClosed() {
    session_.languageBase = LanguageBaseFromLanguage(session_.settings.Language);
    // Every text built in the old language follows at once, not at the next start.
    session_.carrierFilter = BuildCarrierFilter(session_.languageBase);
    RewriteDataFileInfo(session_);
    ui_.FieldsChanged();
}

void Commands::SaveWindowPosition(double topTwips, double leftTwips) {
    // Results ignored: the program is ending and has nowhere to report them.
    (void)WriteIniValues(session_.iniPath, kGlobalSection,
                         {{"Top", SingleText(topTwips)}, {"Left", SingleText(leftTwips)}});
}

}  // namespace tarnwerk
