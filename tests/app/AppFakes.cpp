#include "app/AppFakes.h"

#include "config/Settings.h"
#include "config/Strings.h"

namespace tarnwerk::test {

namespace {

template <class T>
T Next(std::deque<T>& queue, T whenEmpty) {
    if (queue.empty()) return whenEmpty;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

}  // namespace

MessageAnswer FakeUi::ShowMessage(const Message& message) {
    messages.push_back(message);
    switch (message.buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::YesNo:
            return Next(answers, MessageAnswer::Yes);
        case MessageButtons::RetryCancel:
            return Next(answers, MessageAnswer::Cancel);
    }
    return MessageAnswer::Ok;
}

std::string FakeUi::ChooseCarrierFile(const std::vector<FileFilter>&, const std::string&) {
    ++carrierDialogs;
    return Next(carrierChoices, std::string());
}

std::string FakeUi::ChooseDataFile(const std::vector<FileFilter>& filter, const std::string&) {
    ++dataDialogs;
    dataFilters.push_back(filter);
    return Next(dataChoices, std::string());
}

std::optional<std::string> FakeUi::AskNewPassphrase() { return Next(newPassphrases, std::optional<std::string>()); }

std::optional<std::string> FakeUi::AskPassphrase() { return Next(passphrases, std::optional<std::string>()); }

void FakeUi::SetProgress(int percent) {
    progress.push_back(percent);
    if (onProgress) onProgress(percent);
}

void FakeUi::SetStatus(int panel, const std::string& text) { statuses.emplace_back(panel, text); }

void FakeUi::SetBusy(bool isBusy) { busy.push_back(isBusy); }

std::string FakeUi::Transcript() const {
    std::string text;
    for (const Message& message : messages) {
        std::string line = message.text;
        for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " | ");
        text += std::to_string(static_cast<int>(message.icon)) + "\t" + message.title + "\t" + line + "\n";
    }
    return text;
}

bool FakeDesktop::Open(const std::string& fileOrUrl) {
    opened.push_back(fileOrUrl);
    return openResult;
}

bool FakeDesktop::ComposeMailWithAttachment(const std::string& path) {
    mailed.push_back(path);
    if (onMail) onMail(path);
    return mailResult;
}

Session EnglishSession(const std::string& iniPath) {
    Session session;
    session.iniPath = iniPath;
    session.languageBase = kLanguageBaseEnglish;
    session.settings.Language = 1;
    session.bitsPerByte = BitsPerByteFromIndex(session.settings.BitPerByte);
    session.carrierFilter = BuildCarrierFilter(session.languageBase);
    return session;
}

std::string En(int id) { return Text(kLanguageBaseEnglish, id); }

std::string EnLines(std::initializer_list<int> ids) { return JoinLines(kLanguageBaseEnglish, ids); }

}  // namespace tarnwerk::test
