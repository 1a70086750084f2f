#include "app/ViewerHelp.h"

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

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

}  // namespace

void ShowCarrierInViewer(Commands& commands, Session& session, UserInterface& ui, Desktop& desktop) {
    if (IsBlank(session.fields.origFile)) commands.SelectCarrier();
    if (IsBlank(session.fields.origFile)) return;
    const std::string carrier = session.fields.origFile;
    if (desktop.Open(carrier)) return;
    ui.ShowMessage(
        Message{session.Text(kViewerTextBefore) + " " + GetExtension(carrier) + session.Text(kViewerTextAfter),
                MessageIcon::Critical, MessageButtons::Ok, session.Text(kViewerTitle)});
}

void ShowHelpFile(const Session& session, UserInterface& ui, Desktop& desktop) {
    const std::string chm = session.appPath + kHelpFileName;
    const std::string pages = session.appPath + kHelpPagesName;
    // Only files that are there: a viewer asked for a missing file may show its own error first.
    if (FileExists(chm) && desktop.Open(chm)) return;
    if (FileExists(pages) && desktop.Open(pages)) return;
    const std::string text = session.Text(kHelpMissingText) + "\r\n\r\n" + session.Text(kHelpEnsureText) + "\r\n" +
                             session.Text(kHelpFolderText) + "\r\n";
    ui.ShowMessage(Message{text, MessageIcon::Critical, MessageButtons::Ok, session.Text(kHelpTitle)});
}

}  // namespace tarnwerk
