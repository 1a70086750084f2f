// A user interface that answers from a script and records what the workflows told it, for
// driving Commands the way a user would, in this process or in a forked child.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/UserInterface.h"

namespace tarnwerk::test {

class ScriptedUi : public UserInterface {
public:
    std::deque<MessageAnswer> answers;           // for questions; Yes / Ok when empty
    std::string carrierChoice;                   // "" cancels the carrier dialog
    std::string dataChoice;                      // "" cancels the data dialog
    std::optional<std::string> newPassphrase = std::string("correct horse battery");
    std::deque<std::optional<std::string>> passphrases;  // extraction; cancels when empty
    std::function<void(int)> onProgress;         // runs inside SetProgress

    std::vector<Message> messages;
    int lastProgress = -1;

    MessageAnswer ShowMessage(const Message& message) override;
    std::string ChooseCarrierFile(const std::vector<FileFilter>&, const std::string&) override { return carrierChoice; }
    std::string ChooseDataFile(const std::vector<FileFilter>&, const std::string&) override { return dataChoice; }
    std::optional<std::string> AskNewPassphrase() override { return newPassphrase; }
    std::optional<std::string> AskPassphrase() override;
    void SetProgress(int percent) override;
    void SetStatus(int, const std::string&) override {}
    void SetBusy(bool) override {}
    void FieldsChanged() override {}

    // Every message, one per line: icon number, a tab, the text with its line breaks as " | ".
    std::string Transcript() const;
};

class NoDesktop : public Desktop {
public:
    bool Open(const std::string&) override { return true; }
    bool ComposeMailWithAttachment(const std::string&) override { return true; }
};

}  // namespace tarnwerk::test
