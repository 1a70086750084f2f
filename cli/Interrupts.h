// Ctrl-C, SIGTERM and SIGHUP end tarnwerk-cli cleanly. Scratch files have no names and an
// output gets its name in one rename, so what is left to do is small: remove the names files
// carry for a moment, give the terminal its echo back when a passphrase was being typed, say
// why the program ends, and exit with 128 + the signal number, as a shell reports it.
#pragma once

#include <termios.h>

#include <string>

namespace tarnwerk::cli {

// message goes to stderr when a signal ends the program.
void InstallInterruptHandlers(const std::string& message);

// The terminal state to restore when a signal comes while echo is off.
void RememberTerminal(int fd, const termios& state);
void ForgetTerminal();

}  // namespace tarnwerk::cli
