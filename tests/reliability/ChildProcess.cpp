#include "reliability/ChildProcess.h"

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwerk::test {

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kChildFailed = 125;

bool DropToNobody() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

void WriteAllTo(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        done += static_cast<size_t>(put);
    }
}

std::string ReadAllFrom(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return text;
        text.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace

ChildResult RunInChild(const std::function<std::string()>& work, const ChildOptions& options) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::close(fds[0]);
        if (options.dropPrivileges && !DropToNobody()) ::_exit(kChildFailed);
        if (options.fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(kChildFailed);
        }
        WriteAllTo(fds[1], work());
        ::close(fds[1]);
        ::_exit(0);  // no gtest or static teardown in the child
    }
    ::close(fds[1]);
    ChildResult result;
    result.text = ReadAllFrom(fds[0]);
    ::close(fds[0]);
    const int status = WaitChild(pid);
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    return result;
}

void OpenToChild(const std::string& folder) { ::chmod(folder.c_str(), 0777); }

RunningChild StartChild(const std::function<void(int)>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::close(fds[0]);
        work(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

int WaitChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace tarnwerk::test
