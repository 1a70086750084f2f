// The use cases' prompter and progress on a terminal: messages on stdout/stderr, questions
// and passphrases on /dev/tty, progress on stderr.
#pragma once

#include <optional>
#include <string>

#include "app/Messages.h"
#include "app/Prompter.h"
#include "base/Result.h"

namespace tarnwerk::cli {

struct TerminalUiOptions {
    bool quiet = false;
    bool force = false;                     // answer Yes to the overwrite question
    bool stealthOnly = false;               // extract --method stealth: its passphrase is needed
    std::optional<std::string> passphrase;  // from --passphrase-file
    int languageBase = 0;
};

class TerminalUi : public Prompter, public ProgressSink {
public:
    explicit TerminalUi(TerminalUiOptions options);
    ~TerminalUi() override;

    // Information on stdout (left out with --quiet), everything else on stderr.
    void Show(const Message& message);

    // Prompter: --force answers the replace questions; a retry needs a person at a terminal.
    bool Confirm(Question question) override;
    std::optional<std::string> AskNewPassphrase() override;
    std::optional<std::string> AskPassphrase() override;
    std::optional<std::string> AskStealthPassphrase() override;
    // The command line always names its output.
    std::string ChooseOutputFile(const OutputChoice&) override { return {}; }

    // ProgressSink: the percentage on a terminal; Ctrl-C ends the process (Interrupts.h).
    void SetProgress(int percent) override;
    void SetStatus(TextId) override {}
    void SetBusy(bool) override {}
    void SetCancellable(bool) override {}
    bool CancelRequested() const override { return false; }

    // A passphrase was needed but there was neither a file nor a terminal to ask.
    bool passphraseUnavailable() const { return passphraseUnavailable_; }
    // Drop success texts (machine-readable output replaces them).
    void SetQuiet(bool quiet) { options_.quiet = quiet; }

private:
    std::optional<std::string> ReadHidden(const std::string& prompt);
    void EndProgressLine();
    bool HasTerminal() const;

    TerminalUiOptions options_;
    bool passphraseUnavailable_ = false;
    bool progressShown_ = false;
    bool progressToTerminal_ = false;  // asked once: the engine reports progress per chunk
    int lastPercent_ = -1;
};

// "\r\n" line breaks of the string table as terminal newlines.
std::string ToTerminalText(const std::string& text);

// A passphrase file may hold this much; /dev/zero or a stuck pipe would fill the memory.
inline constexpr int64_t kMaxPassphraseFileBytes = 64 * 1024;

// A passphrase file's content as typed: one trailing newline dropped. A regular file or a
// pipe only (Io error number EINVAL otherwise), at most kMaxPassphraseFileBytes (EFBIG).
Result<std::string> ReadPassphraseFile(const std::string& path);

}  // namespace tarnwerk::cli
