// Opening the carrier in the default viewer and the help in the default application.
#pragma once

namespace tarnwerk {

class Commands;
class Desktop;
struct Session;
class UserInterface;

// No carrier shown: the carrier dialog first; cancelled, nothing happens.
void ShowCarrierInViewer(Commands& commands, Session& session, UserInterface& ui, Desktop& desktop);

inline constexpr const char* kHelpFileName = "Tarnwerk.chm";
// A Linux desktop rarely opens CHM files; the same help ships as HTML pages.
inline constexpr const char* kHelpPagesName = "help/index.html";

// "Tarnwerk.chm" in the program folder, else the HTML pages shipped beside it.
void ShowHelpFile(const Session& session, UserInterface& ui, Desktop& desktop);

}  // namespace tarnwerk
