// The passphrase dialogs' rules, shared by the window's dialogs and the command line.
#pragma once

#include <optional>
#include <string>

#include "app/Messages.h"

namespace tarnwerk {

// nullopt when the passphrases may be used; else the message to show ("too short": fewer than
// 3 characters after trimming blanks; "different"; titled InvalidPassphraseTitle).
std::optional<Message> CheckNewPassphrase(int languageBase, const std::string& first, const std::string& second);
std::optional<Message> CheckPassphrase(int languageBase, const std::string& passphrase);

// Quality score: length times the factors of the character classes present (0..length*120).
int PassphraseQuality(const std::string& utf8);

}  // namespace tarnwerk
