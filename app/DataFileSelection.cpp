#include "app/DataFileSelection.h"

#include "app/DataFileInfo.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "base/Helpers.h"

namespace tarnwerk {

namespace {

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
        session.dataExtension = TrimBlanks(GetExtension(path));
        return;
    }
    if (TrimBlanks(GetExtension(path)) != session.headerExtension)
        session.fields.dataFile += "." + session.headerExtension;
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
    session.dataExtension = TrimBlanks(GetExtension(path));
}

}  // namespace tarnwerk
