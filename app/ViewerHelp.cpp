#include "app/ViewerHelp.h"

#include <string>
#include <utility>
#include <vector>

#include "app/Commands.h"
#include "app/Desktop.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "base/Helpers.h"

namespace tarnwerk {

namespace {

// The help is there, but nothing opens it: a different cause than a missing file, with a
// different remedy.
void ShowNoHelpProgram(const Session& session, UserInterface& ui, const std::string& file) {
    const std::string text =
        session.Text(TextId::NoHelpProgramText) + "\r\n" + file + "\r\n\r\n" + session.Text(TextId::NoHelpProgramHint);
    ui.ShowMessage(Message{text, MessageIcon::Critical, MessageButtons::Ok, session.Text(TextId::NoHelpProgramTitle)});
}

// Opens files[index]; when no program shows it, the next one, and after the last the message.
void OpenHelp(const Session& session, UserInterface& ui, Desktop& desktop, std::vector<std::string> files,
              std::size_t index) {
    const std::string file = files[index];
    const auto ended = [&session, &ui, &desktop, files, index](bool shown) {
        if (shown) return;
        if (index + 1 < files.size()) return OpenHelp(session, ui, desktop, files, index + 1);
        ShowNoHelpProgram(session, ui, files[index]);
    };
    if (!desktop.Open(file, ended)) ended(false);
}

}  // namespace

void ShowCarrierInViewer(Commands& commands, Session& session, UserInterface& ui, Desktop& desktop) {
    if (IsBlank(session.fields.origFile)) commands.SelectCarrier();
    if (IsBlank(session.fields.origFile)) return;
    const std::string carrier = session.fields.origFile;
    const auto ended = [&session, &ui, carrier](bool shown) {
        if (shown) return;
        ui.ShowMessage(Message{session.Text(TextId::ViewerFailedBefore) + " " + GetExtension(carrier) +
                                   session.Text(TextId::ViewerFailedAfter),
                               MessageIcon::Critical, MessageButtons::Ok, session.Text(TextId::ViewerFailedTitle)});
    };
    if (!desktop.Open(carrier, ended)) ended(false);
}

void ShowHelpFile(const Session& session, UserInterface& ui, Desktop& desktop) {
    // Only files that are there: a viewer asked for a missing file may show its own error first.
    std::vector<std::string> present;
    for (const char* name : {kHelpFileName, kHelpPagesName}) {
        if (FileExists(session.appPath + name)) present.push_back(session.appPath + name);
    }
    if (present.empty()) {
        const std::string text = session.Text(TextId::HelpMissingText) + "\r\n\r\n" +
                                 session.Text(TextId::HelpEnsureText) + "\r\n" + session.Text(TextId::HelpFolderText) +
                                 "\r\n";
        ui.ShowMessage(
            Message{text, MessageIcon::Critical, MessageButtons::Ok, session.Text(TextId::HelpMissingTitle)});
        return;
    }
    OpenHelp(session, ui, desktop, std::move(present), 0);
}

}  // namespace tarnwerk
