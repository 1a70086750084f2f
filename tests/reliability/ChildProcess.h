// Runs a piece of a test in a forked child: as an unprivileged user when the suite runs as
// root (so permissions hold), optionally under a file-size limit (writes past it fail with
// EFBIG, the way a full disk fails them). The child's text result comes back through a pipe.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tarnwerk::test {

struct ChildOptions {
    bool dropPrivileges = true;          // only matters when running as root
    std::optional<uint64_t> fileSizeLimit;  // bytes; SIGXFSZ is ignored so writes get EFBIG
};

struct ChildResult {
    bool exited = false;  // false: killed by a signal (or could not start)
    int exitCode = -1;
    std::string text;     // what the child's function returned
};

ChildResult RunInChild(const std::function<std::string()>& work, const ChildOptions& options = {});

// Makes folder (and everything the child must reach in it) usable by the unprivileged user.
void OpenToChild(const std::string& folder);

// A child that runs work and stays alive; the parent gets its pid and a descriptor that
// becomes readable when the child writes to the pipe handed to work.
struct RunningChild {
    pid_t pid = -1;
    int signalFd = -1;  // read end
};
RunningChild StartChild(const std::function<void(int signalWriteFd)>& work);
// Waits for the child; returns the raw wait status.
int WaitChild(pid_t pid);

}  // namespace tarnwerk::test
