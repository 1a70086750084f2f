// The only ways a running use case reaches the user: questions through a Prompter, progress and
// the Cancel flag through a ProgressSink. The window, the command line and the tests each
// implement them once; everything else a use case has to say comes back in its outcome.
#pragma once

#include <optional>
#include <string>

#include "config/TextId.h"

namespace tarnwerk {

// What a use case may ask while it runs; the front-end words it (QuestionMessage) or answers
// it on its own (the command line's --force).
enum class Question {
    ReplaceOutput,           // an existing extracted or exported file would be replaced
    ReplaceArchive,          // the zip archive beside the carrier exists already
    RetryPassphrase,         // the passphrase was wrong; try another one?
    HideAboveRecommended,    // stealth data beyond the recommended room: hide it anyway?
    RetryStealthPassphrase,  // no stealth data for this passphrase; try another one?
};

// A save dialog's inputs: its title, the extension the hidden data had ("" when unknown; the
// dialog offers it as a filter) and the proposed path.
struct OutputChoice {
    TextId titleId = TextId::ExtractOutputTitle;
    std::string storedExtension;
    std::string proposed;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // True for yes (or retry).
    virtual bool Confirm(Question question) = 0;
    // UTF-8 as typed; nullopt when cancelled. The front-end applies the dialog rules of
    // PassphraseRules.h before it returns one.
    virtual std::optional<std::string> AskNewPassphrase() = 0;  // typed twice, with rating
    virtual std::optional<std::string> AskPassphrase() = 0;     // typed once, for extraction
    // The passphrase of data the stealth method may have hidden, asked with the reason
    // (StealthPassphrasePrompt): no marker shows whether there is any.
    virtual std::optional<std::string> AskStealthPassphrase() { return AskPassphrase(); }
    // Where extracted or exported data goes when the request names no file; "" cancels.
    virtual std::string ChooseOutputFile(const OutputChoice& choice) = 0;
};

class ProgressSink {
public:
    static constexpr int kBusy = -1;  // SetProgress: a step of unknown length runs

    virtual ~ProgressSink() = default;
    // Share of the current stage done, 0..100, or kBusy.
    virtual void SetProgress(int percent) = 0;
    // The status text (string-table id) of the running step.
    virtual void SetStatus(TextId textId) = 0;
    // True while the command runs (controls locked, wait pointer).
    virtual void SetBusy(bool busy) = 0;
    // False while the command does what must run to its end (the write into the carrier).
    virtual void SetCancellable(bool cancellable) = 0;
    // True once the user asked to stop; stages check it between chunks.
    virtual bool CancelRequested() const = 0;
};

}  // namespace tarnwerk
