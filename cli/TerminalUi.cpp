#include "cli/TerminalUi.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "app/PassphraseRules.h"
#include "app/UseCases.h"
#include "base/FileIo.h"
#include "base/Helpers.h"
#include "cli/Interrupts.h"
#include "config/Strings.h"
#include "crypto/SecureWipe.h"

namespace tarnwerk::cli {

namespace {

// Reads one line from the terminal, echo off; nullopt at end of input.
std::optional<std::string> ReadLineNoEcho(int fd) {
    termios saved{};
    const bool isTty = tcgetattr(fd, &saved) == 0;
    if (isTty) {
        RememberTerminal(fd, saved);
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::string line;
    char c = 0;
    bool any = false;
    while (read(fd, &c, 1) == 1) {
        any = true;
        if (c == '\n') break;
        line.push_back(c);
    }
    if (isTty) {
        tcsetattr(fd, TCSAFLUSH, &saved);
        ForgetTerminal();
    }
    if (!any) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void WipeString(std::string& s) {
    volatile char* p = s.data();
    for (size_t i = 0; i < s.size(); ++i) p[i] = 0;
    s.clear();
}

}  // namespace

std::string ToTerminalText(const std::string& text) { return ReplaceAll(text, "\r\n", "\n"); }

Result<std::string> ReadPassphraseFile(const std::string& path) {
    auto bytes = ReadWholeFile(path, kMaxPassphraseFileBytes, FileKinds::RegularOrPipe);
    if (!bytes) return bytes.error();
    std::string content(bytes->begin(), bytes->end());
    SecureWipe(bytes->data(), bytes->size());
    if (!content.empty() && content.back() == '\n') {
        content.pop_back();
        if (!content.empty() && content.back() == '\r') content.pop_back();
    }
    return content;
}

TerminalUi::TerminalUi(TerminalUiOptions options)
    : options_(std::move(options)), progressToTerminal_(isatty(STDERR_FILENO) != 0) {}

TerminalUi::~TerminalUi() {
    if (options_.passphrase) WipeString(*options_.passphrase);
}

bool TerminalUi::HasTerminal() const {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    close(fd);
    return isatty(STDIN_FILENO) != 0;
}

void TerminalUi::EndProgressLine() {
    if (!progressShown_) return;
    std::cerr << "\n";
    progressShown_ = false;
}

void TerminalUi::Show(const Message& message) {
    EndProgressLine();
    const std::string text = ToTerminalText(message.text);
    if (message.icon == MessageIcon::Information) {
        if (!options_.quiet) std::cout << text << "\n";
    } else {
        std::cerr << text << "\n";
    }
}

bool TerminalUi::Confirm(Question question) {
    EndProgressLine();
    const std::string text = ToTerminalText(QuestionMessage(options_.languageBase, question).text);
    if (question == Question::RetryPassphrase) {
        std::cerr << text << "\n";
        // A passphrase file gives the same answer again; only a person can retry.
        return !options_.passphrase && HasTerminal();
    }
    if (options_.force) return true;
    if (!HasTerminal()) {
        std::cerr << text << "\n(use --force to replace it)\n";
        return false;
    }
    std::cerr << text << " [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

std::optional<std::string> TerminalUi::ReadHidden(const std::string& prompt) {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    const std::string shown = prompt + " ";
    (void)!write(fd, shown.data(), shown.size());
    auto line = ReadLineNoEcho(fd);
    (void)!write(fd, "\n", 1);
    close(fd);
    return line;
}

std::optional<std::string> TerminalUi::AskNewPassphrase() {
    const int base = options_.languageBase;
    if (options_.passphrase) {
        if (auto refusal = CheckNewPassphrase(base, *options_.passphrase, *options_.passphrase)) {
            Show(*refusal);
            return std::nullopt;
        }
        return options_.passphrase;
    }
    if (!HasTerminal()) {
        passphraseUnavailable_ = true;
        return std::nullopt;
    }
    for (;;) {
        auto first = ReadHidden(Text(base, TextId::EnterPassphraseLabel));
        if (!first) return std::nullopt;
        auto second = ReadHidden(Text(base, TextId::ReenterPassphraseLabel));
        if (!second) return std::nullopt;
        auto refusal = CheckNewPassphrase(base, *first, *second);
        WipeString(*second);
        if (!refusal) return first;
        WipeString(*first);
        Show(*refusal);
    }
}

std::optional<std::string> TerminalUi::AskPassphrase() {
    const int base = options_.languageBase;
    if (options_.passphrase) return options_.passphrase;
    if (!HasTerminal()) {
        passphraseUnavailable_ = true;
        return std::nullopt;
    }
    for (;;) {
        auto typed = ReadHidden(Text(base, TextId::PassphraseLabel));
        if (!typed) return std::nullopt;
        auto refusal = CheckPassphrase(base, *typed);
        if (!refusal) return typed;
        WipeString(*typed);
        Show(*refusal);
    }
}

void TerminalUi::SetProgress(int percent) {
    if (options_.quiet || !progressToTerminal_) return;
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    if (percent <= 0 && !progressShown_) return;
    std::fprintf(stderr, "\r%3d%%", percent);
    progressShown_ = percent > 0 && percent < 100;
    if (!progressShown_) std::fprintf(stderr, "\r    \r");
}

}  // namespace tarnwerk::cli
