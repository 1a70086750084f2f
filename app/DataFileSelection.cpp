#include "app/DataFileSelection.h"

#include "app/DataFileInfo.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "base/Helpers.h"
#include "config/Strings.h"

namespace tarnwerk {

namespace {

void FillDataFields(Session& session, const std::string& path) {
    session.fields.dataFile = path;
    ShowDataFileInfoOrigSize(session, path);
    session.fields.dSize.clear();
}

}  // namespace

std::vector<FileFilter> DataFileFilter(int languageBase, const std::string& storedExtension) {
    std::vector<FileFilter> filter;
    if (!storedExtension.empty()) {
        const std::string pattern = "*." + storedExtension;
        filter.push_back({Text(languageBase, TextId::OriginalExtensionFilter) + " (" + pattern + ")", pattern});
    }
    filter.push_back({Text(languageBase, TextId::AllFilesFilter) + " (*.*)", "*.*"});
    return filter;
}

bool ChooseDataFileInto(Session& session, UserInterface& ui) {
    const std::string chosen =
        ui.ChooseDataFile(DataFileFilter(session.languageBase, {}), session.Text(TextId::DataDialogTitle));
    if (chosen.empty()) return false;
    ApplyGivenDataFile(session, chosen);
    return true;
}

void ApplyExtractedFile(Session& session, const std::string& path, const std::string& storedExtension) {
    ApplyGivenDataFile(session, path);
    if (!storedExtension.empty()) session.dataExtension = storedExtension;
}

void ApplyGivenDataFile(Session& session, const std::string& path) {
    FillDataFields(session, path);
    session.dataExtension = TrimBlanks(GetExtension(path));
}

}  // namespace tarnwerk
