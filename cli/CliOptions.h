// Command-line parsing for tarnwerk-cli: a subcommand, its operands, and options that may
// stand before or after it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/Settings.h"

namespace tarnwerk::cli {

enum class Subcommand { None, Info, Hide, Extract, Export, Size };

struct CliOptions {
    Subcommand command = Subcommand::None;
    std::vector<std::string> operands;
    std::optional<int> bits;  // 1, 2 or 4
    std::optional<bool> compress;
    std::optional<int> cipher;  // -1 = none, else the cipher index
    // hide: the method to write with; extract: classic probes the markers only, stealth skips
    // them. Unset: hide follows the settings, extract probes and then tries stealth.
    std::optional<HidingMethod> method;
    std::string passphraseFile;
    std::string settingsFile;
    std::string output;  // hide: write the result here and leave the carrier as it was
    std::optional<int> languageBase;
    bool json = false;
    bool force = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::string list;  // --list KIND: print the names of KIND, one a line (for shell completion)
};

struct ParseResult {
    CliOptions options;
    std::string error;  // non-empty: a usage error
};

ParseResult ParseArguments(const std::vector<std::string>& args);

// The cipher names the command line accepts, in one place: name -> index (-1 for none).
std::optional<int> CipherFromName(const std::string& name);

// The names --list prints for kind ("commands", "ciphers", "methods", "languages", "options"); the options
// are those the command accepts (every option when there is no command). Empty for an
// unknown kind.
std::vector<std::string> ListNames(const std::string& kind, Subcommand command);

std::string UsageText();

}  // namespace tarnwerk::cli
