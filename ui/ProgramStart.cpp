#include "ui/ProgramStart.h"

#include "app/ViewerHelp.h"
#include "base/Helpers.h"

namespace tarnwerk {

StartOptions ParseStartArguments(const std::vector<std::string>& args) {
    StartOptions options;
    bool optionsEnded = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            options.help = true;
        } else if (!optionsEnded && arg == "--version") {
            options.version = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            options.error = "unknown option " + arg;
            return options;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() > 1) options.error = "give at most one carrier picture";
    if (files.size() == 1) options.carrier = files[0];
    return options;
}

std::string StartUsage() {
    return "Usage: tarnwerk [CARRIER]\n"
           "Opens the Tarnwerk window, with CARRIER chosen when given.\n"
           "  -h, --help     show this text\n"
           "  --version      show the version\n"
           "tarnwerk-cli does the same work from a terminal.\n";
}

std::string HelpFolder(const std::string& programDir, const std::string& dataDirFromProgram) {
    const std::string own = programDir + "/";
    if (FileExists(own + kHelpFileName) || FileExists(own + kHelpPagesName)) return own;
    return own + dataDirFromProgram + "/";
}

}  // namespace tarnwerk
