// The long commands behind the main window's menu entries. Commands forwards to them; each
// runs inside a CommandFrame and reports everything through the UserInterface.
#pragma once

namespace tarnwerk {

class Commands;
struct Session;
class UserInterface;

// Each returns true only when the command succeeded (hide-and-send mails only after a successful hide).
bool RunHide(Commands& commands, Session& session, UserInterface& ui);
bool RunExtract(Commands& commands, Session& session, UserInterface& ui);
bool RunExport(Commands& commands, Session& session, UserInterface& ui);
bool RunCalculateSize(Commands& commands, Session& session, UserInterface& ui);

}  // namespace tarnwerk
