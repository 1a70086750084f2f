#include "app/Desktop.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace tarnwerk {

namespace {

// Waits for the child and tells whether it exited with status 0.
bool WaitForExit(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Starts the program found on PATH with the arguments, no shell in between; false when it
// could not be started. Its end is awaited on a detached thread that then tells ended.
bool Launch(const std::vector<std::string>& arguments, LaunchEnded ended) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    std::thread([child, ended = std::move(ended)] {
        const bool succeeded = WaitForExit(child);
        if (ended) ended(succeeded);
    }).detach();
    return true;
}

// A relative name starting with "-" would be read as an option of the helper program.
std::string AsOperand(const std::string& path) { return !path.empty() && path[0] == '-' ? "./" + path : path; }

}  // namespace

bool XdgDesktop::Open(const std::string& fileOrUrl, LaunchEnded ended) {
    if (fileOrUrl.empty()) return false;
    return Launch({"xdg-open", AsOperand(fileOrUrl)}, std::move(ended));
}

bool XdgDesktop::ComposeMailWithAttachment(const std::string& path, LaunchEnded ended) {
    if (path.empty()) return false;
    return Launch({"xdg-email", "--attach", AsOperand(path)}, std::move(ended));
}

}  // namespace tarnwerk
