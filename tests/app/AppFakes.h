// A scripted user and desktop for driving Commands: queued answers, file choices and
// passphrases in; every message, busy change and field refresh kept.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/Desktop.h"
#include "app/Prompter.h"
#include "app/Session.h"
#include "app/UseCases.h"
#include "app/UserInterface.h"
#include "config/Settings.h"
#include "config/Strings.h"
#include "support/TempDir.h"

namespace tarnwerk::test {

template <class T>
T Next(std::deque<T>& queue, T whenEmpty) {
    if (queue.empty()) return whenEmpty;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

class FakeUi : public UserInterface, public Prompter, public ProgressSink {
public:
    std::deque<MessageAnswer> answers;                                   // Yes / Cancel when empty
    std::deque<std::string> dataChoices;                                 // "" (cancelled) when empty
    std::deque<std::optional<std::string>> newPassphrases, passphrases;  // cancelled when empty
    std::function<void(int)> onProgress;                                 // runs inside SetProgress
    // The save dialog proposes; the user takes the data field's name (the next data choice
    // when the field is empty). Without a session every choice comes from dataChoices.
    const Session* session = nullptr;

    std::vector<Message> messages;
    std::vector<bool> busy;
    std::vector<OutputChoice> outputChoices;  // what each save dialog offered
    int fieldsChanged = 0;
    bool cancel = false;

    MessageAnswer ShowMessage(const Message& message) override {
        messages.push_back(message);
        if (message.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        return Next(answers, message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Cancel);
    }
    std::string ChooseCarrierFile(const std::vector<FileFilter>&, const std::string&) override { return {}; }
    std::string ChooseDataFile(const std::vector<FileFilter>&, const std::string&) override {
        return Next(dataChoices, std::string());
    }
    // Questions are shown as the window shows them, so the transcript holds them too.
    bool Confirm(Question question) override {
        const MessageAnswer answer = ShowMessage(QuestionMessage(kLanguageBaseEnglish, question));
        return answer == MessageAnswer::Yes || answer == MessageAnswer::Retry;
    }
    std::string ChooseOutputFile(const OutputChoice& choice) override {
        outputChoices.push_back(choice);
        if (session != nullptr && !session->fields.dataFile.empty()) return session->fields.dataFile;
        return Next(dataChoices, std::string());
    }
    std::optional<std::string> AskNewPassphrase() override { return Next(newPassphrases, {}); }
    std::optional<std::string> AskPassphrase() override { return Next(passphrases, {}); }
    void SetProgress(int percent) override {
        if (onProgress) onProgress(percent);
    }
    void SetStatus(int, const std::string&) override {}
    void SetStatus(TextId) override {}
    void SetBusy(bool isBusy) override { busy.push_back(isBusy); }
    void SetCancellable(bool) override {}
    bool CancelRequested() const override { return cancel; }
    void FieldsChanged() override { ++fieldsChanged; }

    // Every message, one per line: icon number, tab, title, tab, text with CR LF as " | ".
    std::string Transcript() const {
        std::string text;
        for (const Message& m : messages) {
            std::string line = m.text;
            for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " | ");
            text += std::to_string(static_cast<int>(m.icon)) + "\t" + m.title + "\t" + line + "\n";
        }
        return text;
    }
    const Message& LastMessage() const { return messages.back(); }
};

class FakeDesktop : public Desktop {
public:
    std::vector<std::string> mailed;
    std::function<void(const std::string&)> onMail;  // sees the attachment while it exists
    std::vector<std::string> opened;
    // What the helper programs do: start (false: none could be started) and end well.
    bool openStarts = true, openSucceeds = true, mailStarts = true, mailSucceeds = true;

    // The helper's end is told before the call returns, as if it had ended at once.
    bool Open(const std::string& target, LaunchEnded ended) override {
        opened.push_back(target);
        if (openStarts && ended) ended(openSucceeds);
        return openStarts;
    }
    bool ComposeMailWithAttachment(const std::string& path, LaunchEnded ended) override {
        mailed.push_back(path);
        if (onMail) onMail(path);
        if (mailStarts && ended) ended(mailSucceeds);
        return mailStarts;
    }
};

// A session in English with the given settings file, settings at their defaults.
inline Session EnglishSession(const std::string& iniPath) {
    Session session;
    session.iniPath = iniPath;
    session.languageBase = kLanguageBaseEnglish;
    session.settings.Language = 1;
    session.carrierFilter = BuildCarrierFilter(session.languageBase);
    return session;
}

inline std::string En(TextId id) { return Text(kLanguageBaseEnglish, id); }
inline std::string EnLines(std::initializer_list<TextId> ids) { return JoinLines(kLanguageBaseEnglish, ids); }
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A fresh folder holding the settings file, an English session and Commands on the fakes.
class AppTest : public ::testing::Test {
protected:
    AppTest() : session(EnglishSession(dir.File("tarnwerk.ini"))), commands(session, ui, desktop, ui, ui) {
        ui.session = &session;
    }

    TempDir dir;
    Session session;
    FakeUi ui;
    FakeDesktop desktop;
    Commands commands;
};

}  // namespace tarnwerk::test
