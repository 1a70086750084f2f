#include "cli/Interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

#include "base/PendingNames.h"

namespace tarnwerk::cli {
namespace {

constexpr std::array kSignals = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalExitBase = 128;

// Static storage: the handler may neither allocate nor lock.
char message[512];
size_t messageLength = 0;
termios savedTerminal{};
std::atomic<int> terminalFd{-1};

void OnInterrupt(int signalNumber) {
    RemovePendingNames();
    if (const int fd = terminalFd.load(); fd >= 0) tcsetattr(fd, TCSAFLUSH, &savedTerminal);
    (void)!write(STDERR_FILENO, message, messageLength);
    _exit(kSignalExitBase + signalNumber);
}

}  // namespace

void InstallInterruptHandlers(const std::string& text) {
    const std::string line = "\n" + text + "\n";
    messageLength = std::min(line.size(), sizeof(message));
    std::memcpy(message, line.data(), messageLength);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals) sigaddset(&action.sa_mask, number);  // one handler at a time
    for (const int number : kSignals) sigaction(number, &action, nullptr);
}

void RememberTerminal(int fd, const termios& state) {
    savedTerminal = state;
    terminalFd.store(fd);
}

void ForgetTerminal() { terminalFd.store(-1); }

}  // namespace tarnwerk::cli
