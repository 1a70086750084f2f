#include "app/Commands.h"

#include <charconv>
#include <system_error>

#include "app/CarrierLoader.h"
#include "app/DataFileInfo.h"
#include "app/DataFileSelection.h"
#include "app/Messages.h"
#include "app/StatusPanels.h"
#include "app/ViewerHelp.h"
#include "app/Workflows.h"
#include "config/Helpers.h"

namespace tarnwerk {

namespace {

constexpr int kCarrierMissingText = 401;
constexpr int kCarrierReadOnlyText = 402;
constexpr int kCarrierDialogTitle = 403;
constexpr int kDroppedMissingText = 437;
constexpr int kDroppedReadOnlyText = 438;
constexpr int kIncorrectFileTitle = 407;
constexpr int kSettingsNotSavedText = 319;
constexpr const char* kGlobalSection = "Global";

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Shortest decimal text that reads back as the same single-precision value.
std::string SingleText(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value), std::chars_format::fixed);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

}  // namespace

Commands::Commands(Session& session, UserInterface& ui, Desktop& desktop)
    : session_(session), ui_(ui), desktop_(desktop) {}

bool Commands::LoadCarrier(const std::string& path) {
    const bool loaded = LoadCarrierInto(session_, ui_, path);
    ui_.FieldsChanged();
    return loaded;
}

void Commands::SelectCarrier() {
    // The name exactly as chosen: blanks at either end belong to it.
    const std::string chosen = ui_.ChooseCarrierFile(session_.carrierFilter, session_.Text(kCarrierDialogTitle));
    if (chosen.empty()) return;
    if (!IsUsableCarrierFile(chosen)) {
        ui_.ShowMessage(MakeMessage(session_, {kCarrierMissingText, kCarrierReadOnlyText}, MessageIcon::Exclamation,
                                    kCarrierDialogTitle));
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
        ui_.ShowMessage(
            Message{path + "\r\n" + session_.Text(kDroppedMissingText) + "\r\n" + session_.Text(kDroppedReadOnlyText),
                    MessageIcon::Exclamation, MessageButtons::Ok, session_.Text(kIncorrectFileTitle)});
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
    session_.fields = WindowFields{};
    session_.payloadSize = 0;
    session_.dataExtension.clear();
    session_.headerExtension.clear();
    session_.resultPath.clear();
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

bool Commands::Hide() { return RunHide(*this, session_, ui_); }
bool Commands::Extract() { return RunExtract(*this, session_, ui_); }
bool Commands::Export() { return RunExport(*this, session_, ui_); }
bool Commands::CalculateSize() { return RunCalculateSize(*this, session_, ui_); }

void Commands::ShowCarrier() { ShowCarrierInViewer(*this, session_, ui_, desktop_); }

void Commands::ShowHelp() { ShowHelpFile(session_, ui_, desktop_); }

void Commands::SaveOptions(const SettingsRecord& record) {
    const Status saved = SaveSettings(session_.iniPath, record);
    // The record is taken also when writing failed, so the running program uses what the
    // user chose.
    session_.settings = record;
    session_.bitsPerByte = BitsPerByteFromIndex(record.BitPerByte);
    if (!saved) {
        Message message = MakeProductMessage(session_, {kSettingsNotSavedText}, MessageIcon::Critical);
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
