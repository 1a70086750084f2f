// What the window tests share: a scripted dialog host, a recording desktop, and a session in
// a temporary folder with a small valid carrier.
#pragma once

#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/Session.h"
#include "config/Settings.h"
#include "config/Strings.h"
#include "ui/DialogHost.h"

namespace tarnwerk::test {

struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
};

struct FileRequest {
    QString title;
    QStringList filters;
    bool mustExist;
};

// Dialogs are never shown: message boxes are recorded and answered from a queue, other
// dialogs go to onDialog (default: closed with the close box, as a rejection).
class ScriptedHost : public DialogHost {
public:
    std::vector<SeenMessage> messages;
    std::deque<int> messageAnswers;  // QMessageBox::StandardButton values; default: the first button
    std::vector<QString> dialogs;    // objectNames of the dialogs run
    std::function<int(QDialog&)> onDialog;
    std::vector<FileRequest> fileRequests;
    std::deque<QString> fileAnswers;  // default: cancelled

    int Exec(QDialog& dialog) override {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages.push_back({box->windowTitle(), box->text(), box->icon()});
            if (messageAnswers.empty()) return box->buttons().isEmpty() ? 0 : box->standardButton(box->buttons().first());
            const int answer = messageAnswers.front();
            messageAnswers.pop_front();
            return answer;
        }
        dialogs.push_back(dialog.objectName());
        if (onDialog) return onDialog(dialog);
        dialog.reject();
        return QDialog::Rejected;
    }

    QString OpenFile(QWidget*, const QString& title, const QStringList& filters, bool mustExist) override {
        fileRequests.push_back({title, filters, mustExist});
        if (fileAnswers.empty()) return {};
        const QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

class RecordingDesktop : public Desktop {
public:
    std::vector<std::string> opened;
    bool succeed = true;
    bool Open(const std::string& fileOrUrl) override {
        opened.push_back(fileOrUrl);
        return succeed;
    }
    bool ComposeMailWithAttachment(const std::string&) override { return succeed; }
};

// An uncompressed 24-bit bitmap of width x height pixels with varied picture bytes.
inline void WriteBitmap(const QString& path, int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int imageSize = rowBytes * height;
    QByteArray file;
    auto put = [&file](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    file.append("BM");
    put(static_cast<uint32_t>(54 + imageSize), 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(static_cast<uint32_t>(imageSize), 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int i = 0; i < imageSize; ++i) file.append(static_cast<char>((i * 37 + 11) & 0xFF));
    QFile out(path);
    if (out.open(QIODevice::WriteOnly)) out.write(file);
}

inline void WriteText(const QString& path, const QByteArray& content) {
    QFile out(path);
    if (out.open(QIODevice::WriteOnly)) out.write(content);
}

// A session as the program builds it at start, with its settings file in a temporary folder.
struct TempSession {
    QTemporaryDir dir;
    Session session;

    explicit TempSession(int languageBase = kLanguageBaseEnglish) {
        session.appPath = dir.path().toStdString() + "/";
        session.iniPath = session.appPath + "tarnwerk.ini";
        session.languageBase = languageBase;
        session.settings.Language = static_cast<uint8_t>(languageBase == kLanguageBaseEnglish ? 1 : 0);
        session.carrierFilter = BuildCarrierFilter(languageBase);
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    std::string StdPath(const char* name) const { return Path(name).toStdString(); }
};

inline QString Tr(int languageBase, int id) { return QString::fromStdString(Text(languageBase, id)); }

}  // namespace tarnwerk::test
