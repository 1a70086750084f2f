// How the workflows talk to the user. The Qt window, the command line and the tests each
// implement it; the workflows never know which one they talk to.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/Settings.h"

namespace tarnwerk {

// Message box icons; the numbers are the original flag values.
enum class MessageIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MessageButtons { Ok, YesNo, RetryCancel };
enum class MessageAnswer { Ok, Yes, No, Retry, Cancel };

struct Message {
    std::string text;  // lines joined by "\r\n", as the string table composes them
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::string title;
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MessageAnswer ShowMessage(const Message& message) = 0;

    // File choice dialogs; "" when cancelled. The carrier dialog requires an existing file,
    // the data dialog accepts a new name (it also chooses output files).
    virtual std::string ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) = 0;
    virtual std::string ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) = 0;
    // Where an extracted or exported file goes: a save dialog proposing a path; "" when
    // cancelled. nullopt: this front-end names the output itself, in the data file field.
    virtual std::optional<std::string> ChooseOutputFile(const std::vector<FileFilter>& filter,
                                                        const std::string& title, const std::string& proposed) {
        (void)filter, (void)title, (void)proposed;
        return std::nullopt;
    }

    // Passphrase entry, UTF-8 as typed; nullopt when cancelled. The front-end applies the
    // dialog rules of PassphraseRules.h before it returns a passphrase.
    virtual std::optional<std::string> AskNewPassphrase() = 0;  // typed twice, with rating
    virtual std::optional<std::string> AskPassphrase() = 0;     // typed once, for extraction
    // The passphrase of data that may be hidden with the stealth method, with a prompt that
    // says why it is asked (empty: ask as AskPassphrase does).
    virtual std::optional<std::string> AskStealthPassphrase(const std::string& prompt) {
        (void)prompt;
        return AskPassphrase();
    }

    // Share of the current stage done, 0..100, or kProgressBusy while a step of unknown length
    // runs (the key derivation). Called from the thread the command runs on.
    static constexpr int kProgressBusy = -1;
    virtual void SetProgress(int percent) = 0;
    // True once the user asked to stop the running command; stages check it between chunks.
    virtual bool CancelRequested() { return false; }
    // False while the command does what must run to its end (the write into the carrier).
    virtual void SetCancellable(bool cancellable) { (void)cancellable; }
    // Status bar panel 0..3.
    virtual void SetStatus(int panel, const std::string& text) = 0;
    // Wait cursor and the seven input controls disabled while busy.
    virtual void SetBusy(bool busy) = 0;
    // The session's window fields changed; show them.
    virtual void FieldsChanged() = 0;
};

}  // namespace tarnwerk
