#include "app/Desktop.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace tarnwerk {

namespace {

// Runs the program found on PATH with the arguments, no shell in between, and waits for it:
// true only when it started and exited with status 0.
bool RunAndWait(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A relative name starting with "-" would be read as an option of the helper program.
std::string AsOperand(const std::string& path) { return !path.empty() && path[0] == '-' ? "./" + path : path; }

}  // namespace

bool XdgDesktop::Open(const std::string& fileOrUrl) {
    if (fileOrUrl.empty()) return false;
    return RunAndWait({"xdg-open", AsOperand(fileOrUrl)});
}

bool XdgDesktop::ComposeMailWithAttachment(const std::string& path) {
    if (path.empty()) return false;
    return RunAndWait({"xdg-email", "--attach", AsOperand(path)});
}

}  // namespace tarnwerk
