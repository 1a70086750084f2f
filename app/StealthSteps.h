// The hide and extract commands' steps for the stealth method: judge the carrier, prepare the
// data, ask before going above the recommended room, ask for the passphrase, and let the core
// hide or read. Nothing is written unless the whole command succeeds.
#pragma once

#include <string>

namespace tarnwerk {

class Commands;
struct Session;
class UserInterface;

// Hides the data file into the carrier with the stealth method; false when refused,
// cancelled or failed (the message has been shown).
bool StealthHideSteps(Commands& commands, Session& session, UserInterface& ui, const std::string& dataPath,
                      const std::string& extension);

enum class StealthExtraction {
    NotTried,   // the carrier cannot carry stealth data; the caller reports what it found
    Extracted,  // the output holds the data
    Failed,     // refused, wrong passphrase or failed: the message has been shown, nothing written
};

// Asks for the passphrase of stealth data (three tries) and writes the data to outputPath.
StealthExtraction StealthExtractSteps(Commands& commands, Session& session, UserInterface& ui,
                                      const std::string& outputPath);

}  // namespace tarnwerk
