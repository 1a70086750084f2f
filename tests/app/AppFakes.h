// A scripted user interface and desktop for driving Commands the way a user would: queued
// answers, file choices and passphrases in; every message, status text, progress call and
// busy change recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk::test {

class FakeUi : public UserInterface {
public:
    // Answers for YesNo / RetryCancel messages, in order; Yes / Cancel when the queue is empty.
    std::deque<MessageAnswer> answers;
    // Dialog results, in order; "" (cancelled) when the queue is empty.
    std::deque<std::string> carrierChoices;
    std::deque<std::string> dataChoices;
    // Passphrase dialogs, in order; cancelled (nullopt) when the queue is empty.
    std::deque<std::optional<std::string>> newPassphrases;
    std::deque<std::optional<std::string>> passphrases;
    std::function<void(int)> onProgress;  // runs inside SetProgress (to re-enter commands)

    // What the workflows told the user.
    std::vector<Message> messages;
    std::vector<std::pair<int, std::string>> statuses;
    std::vector<int> progress;
    std::vector<bool> busy;
    std::vector<std::vector<FileFilter>> dataFilters;  // filters the data dialog was opened with
    int carrierDialogs = 0;
    int dataDialogs = 0;
    int fieldsChanged = 0;

    MessageAnswer ShowMessage(const Message& message) override;
    std::string ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) override;
    std::string ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) override;
    std::optional<std::string> AskNewPassphrase() override;
    std::optional<std::string> AskPassphrase() override;
    void SetProgress(int percent) override;
    void SetStatus(int panel, const std::string& text) override;
    void SetBusy(bool isBusy) override;
    void FieldsChanged() override { ++fieldsChanged; }

    // Every message, one per line: icon number, tab, title, tab, text with CR LF as " | ".
    std::string Transcript() const;
    const Message& LastMessage() const { return messages.back(); }
};

class FakeDesktop : public Desktop {
public:
    bool openResult = true;  // what Open answers for every file
    bool mailResult = true;
    std::vector<std::string> opened;
    std::vector<std::string> mailed;
    std::function<void(const std::string&)> onMail;  // sees the attachment while it exists

    bool Open(const std::string& fileOrUrl) override;
    bool ComposeMailWithAttachment(const std::string& path) override;
};

// A session in English with the given settings file, settings at their defaults.
Session EnglishSession(const std::string& iniPath = {});

// The English text of a string-table id.
std::string En(int id);
// Ids joined by CR LF in English.
std::string EnLines(std::initializer_list<int> ids);

}  // namespace tarnwerk::test
