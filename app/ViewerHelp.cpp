#include "app/ViewerHelp.h"

#include <string>
#include <utility>
#include <vector>

#include "app/Commands.h"
#include "app/Desktop.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "config/Helpers.h"

namespace tarnwerk {

namespace {

constexpr int kViewerTextBefore = 422;
constexpr int kViewerTextAfter = 423;
constexpr int kViewerTitle = 424;
constexpr int kHelpMissingText = 457;
constexpr int kHelpEnsureText = 458;
constexpr int kHelpFolderText = 459;
constexpr int kHelpTitle = 460;
constexpr int kNoHelpProgramText = 513;
constexpr int kNoHelpProgramHint = 514;
constexpr int kNoHelpProgramTitle = 515;

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// The help is there, but nothing opens it: a different cause than a missing file, with a
// different remedy.
void ShowNoHelpProgram(const Session& session, UserInterface& ui, const std::string& file) {
    const std::string text =
        session.Text(kNoHelpProgramText) + "\r\n" + file + "\r\n\r\n" + session.Text(kNoHelpProgramHint);
    ui.ShowMessage(Message{text, MessageIcon::Critical, MessageButtons::Ok, session.Text(kNoHelpProgramTitle)});
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
        ui.ShowMessage(
            Message{session.Text(kViewerTextBefore) + " " + GetExtension(carrier) + session.Text(kViewerTextAfter),
                    MessageIcon::Critical, MessageButtons::Ok, session.Text(kViewerTitle)});
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
        const std::string text = session.Text(kHelpMissingText) + "\r\n\r\n" + session.Text(kHelpEnsureText) + "\r\n" +
                                 session.Text(kHelpFolderText) + "\r\n";
        ui.ShowMessage(Message{text, MessageIcon::Critical, MessageButtons::Ok, session.Text(kHelpTitle)});
        return;
    }
    OpenHelp(session, ui, desktop, std::move(present), 0);
}

}  // namespace tarnwerk
