#include "reliability/ScriptedUi.h"

namespace tarnwerk::test {

MessageAnswer ScriptedUi::ShowMessage(const Message& message) {
    messages.push_back(message);
    if (message.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Cancel;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedUi::AskPassphrase() {
    if (passphrases.empty()) return std::nullopt;
    auto passphrase = passphrases.front();
    passphrases.pop_front();
    return passphrase;
}

void ScriptedUi::SetProgress(int percent) {
    lastProgress = percent;
    if (onProgress) onProgress(percent);
}

std::string ScriptedUi::Transcript() const {
    std::string text;
    for (const auto& message : messages) {
        std::string line = message.text;
        for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " | ");
        text += std::to_string(static_cast<int>(message.icon)) + "\t" + line + "\n";
    }
    return text;
}

}  // namespace tarnwerk::test
