#include "app/DataFileSelection.h"

#include "app/DataFileInfo.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "config/Helpers.h"

namespace tarnwerk {

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void FillDataFields(Session& session, const std::string& path) {
    session.fields.dataFile = path;
    ShowDataFileInfoOrigSize(session, path);
    session.fields.dSize.clear();
}

}  // namespace

std::vector<FileFilter> DataFileFilter(const Session& session) {
    std::vector<FileFilter> filter;
    if (!session.headerExtension.empty()) {
        const std::string pattern = "*." + session.headerExtension;
        filter.push_back({session.Text(TextId::OriginalExtensionFilter) + " (" + pattern + ")", pattern});
    }
    filter.push_back({session.Text(TextId::AllFilesFilter) + " (*.*)", "*.*"});
    return filter;
}

void ApplyChosenDataFile(Session& session, const std::string& path) {
    FillDataFields(session, path);
    if (session.headerExtension.empty()) {
        session.dataExtension = Trim(GetExtension(path));
        return;
    }
    if (Trim(GetExtension(path)) != session.headerExtension) session.fields.dataFile += "." + session.headerExtension;
    session.dataExtension = session.headerExtension;
}

bool ChooseDataFileInto(Session& session, UserInterface& ui) {
    const std::string chosen = ui.ChooseDataFile(DataFileFilter(session), session.Text(TextId::DataDialogTitle));
    if (chosen.empty()) return false;
    ApplyChosenDataFile(session, chosen);
    return true;
}

void ApplyGivenDataFile(Session& session, const std::string& path) {
    FillDataFields(session, path);
    session.dataExtension = Trim(GetExtension(path));
}

}  // namespace tarnwerk
