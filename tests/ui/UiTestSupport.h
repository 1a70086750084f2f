// A scripted dialog host, a window over a session in a temporary folder, and short ways to its controls.
#pragma once

#include <QtTest>
#include <QtWidgets>

#include "app/AppFakes.h"
#include "support/TestCarriers.h"
#include "ui/DialogHost.h"
#include "ui/MessageBoxes.h"
#include "ui/StatusPanels.h"
#include "ui/WindowFont.h"
#include "ui/frmSteg.h"

namespace tarnwerk::test {

constexpr int kEn = kLanguageBaseEnglish, kDe = kLanguageBaseGerman;

struct SeenMessage {
    QString title, text;
    QMessageBox::Icon icon;
};

// Nothing is shown: message boxes are recorded and answered with their first button, other
// dialogs go to onDialog (default: rejected), file dialogs are counted and cancelled.
class ScriptedHost : public DialogHost {
public:
    std::vector<SeenMessage> messages;
    std::vector<QMessageBox::StandardButton> defaultButtons;  // per message box, NoButton if none
    std::deque<int> boxAnswers;                               // buttons pressed; first button when empty
    std::vector<QString> dialogs;                             // objectNames of the dialogs run
    std::function<int(QDialog&)> onDialog;
    std::size_t fileRequests = 0;
    std::function<void()> onShow;  // runs as any dialog or message box shows

    int Exec(QDialog& dialog) override {
        if (onShow) onShow();
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages.push_back({box->windowTitle(), box->text(), box->icon()});
            defaultButtons.push_back(box->defaultButton() ? box->standardButton(box->defaultButton())
                                                          : QMessageBox::NoButton);
            if (!boxAnswers.empty()) return Next(boxAnswers, 0);
            return box->buttons().isEmpty() ? 0 : box->standardButton(box->buttons().first());
        }
        dialogs.push_back(dialog.objectName());
        if (onDialog) return onDialog(dialog);
        dialog.reject();
        return QDialog::Rejected;
    }
    std::vector<QString> openFolders;              // where each open dialog started
    std::vector<QStringList> openFilters;          // the file types each open dialog offered
    std::deque<QString> openAnswers, saveAnswers;  // chosen paths; cancelled when empty
    struct SaveRequest {
        QString title, proposed;
        QStringList filters;
    };
    std::vector<SaveRequest> saves;

    QString OpenFile(QWidget*, const QString&, const QStringList& filters, bool, const QString& folder) override {
        ++fileRequests;
        openFolders.push_back(folder);
        openFilters.push_back(filters);
        return Next(openAnswers, QString());
    }
    QString SaveFile(QWidget*, const QString& title, const QStringList& filters, const QString& proposed) override {
        ++fileRequests;
        saves.push_back({title, proposed, filters});
        return Next(saveAnswers, QString());
    }
};

template <class T = QWidget>
T* Find(QObject& parent, const char* name) {
    return parent.findChild<T*>(name);
}
inline QString TextOf(QObject& parent, const char* field) { return Find<QLineEdit>(parent, field)->text(); }
// Waits, with the event loop running, until a long command the window started has ended.
inline void Settle(QObject& parent) {
    if (auto* window = qobject_cast<frmSteg*>(&parent)) QTRY_VERIFY_WITH_TIMEOUT(!window->commandRunning(), 60000);
}
// Clicks a button and lets the command it started end.
inline void Click(QObject& parent, const char* button) {
    QTest::mouseClick(Find<QPushButton>(parent, button), Qt::LeftButton);
    Settle(parent);
}
inline void Type(QObject& parent, const char* field, const QString& text) {
    Find(parent, field)->setFocus();
    QTest::keyClicks(Find(parent, field), text);
}
inline QString Tr(int languageBase, TextId id) { return QString::fromStdString(Text(languageBase, id)); }

// The started main window over a session whose program folder is a temporary one, with a carrier.
struct Window {
    TempDir dir;
    Session session = EnglishSession(dir.File("tarnwerk.ini"));
    ScriptedHost host;
    FakeDesktop desktop;
    std::unique_ptr<frmSteg> window;
    QString carrier = Path("carrier.bmp"), data = Path("letter.txt");

    explicit Window(int languageBase = kEn) {
        session.appPath = dir.path() + "/";
        session.languageBase = languageBase;
        session.settings.Language = languageBase == kEn ? 1 : 0;
        session.carrierFilter = BuildCarrierFilter(languageBase);
        MakeBitmap(carrier.toStdString(), 64, 48, 24, false, 1);
        Put(data.toStdString(), std::string(264, 'm'));
        window = std::make_unique<frmSteg>(session, desktop, host);
        window->Start();
    }
    QString Path(const char* name) const { return QString::fromStdString(dir.File(name)); }
    // Qt delivers a drop only to the widget that accepted the drag's entry, as a real drag does.
    void Drop(const char* target, const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Find(*window, target), &enter);
        QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Find(*window, target), &drop);
    }
};

}  // namespace tarnwerk::test
