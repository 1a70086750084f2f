// What the desktop program takes on its command line, and where it finds its help.
#pragma once

#include <string>
#include <vector>

namespace tarnwerk {

struct StartOptions {
    bool help = false;
    bool version = false;
    std::string carrier;  // a picture to open as the carrier, or ""
    std::string error;    // non-empty: a usage error
};

// "--help"/"-h", "--version", at most one file; "--" ends the options.
StartOptions ParseStartArguments(const std::vector<std::string>& args);

std::string StartUsage();

// The folder holding the help (with a trailing "/"): the program's own folder when the help
// lies beside the program (a build or program folder), else the installed data folder,
// given relative to the program's folder.
std::string HelpFolder(const std::string& programDir, const std::string& dataDirFromProgram);

}  // namespace tarnwerk
