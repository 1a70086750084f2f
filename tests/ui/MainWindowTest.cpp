// The main window: captions in each language, drops, the window position and the deferred close.
#include "UiTestSupport.h"
#include "config/TextId.h"
#include "ui/QtText.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    // With the program's font, in every language: the captions are that language's, each label
    // and button is wide enough for its caption, and no field starts under a label.
    void captionsFitInEveryLanguage() {
        for (int base : {kDe, kEn, kLanguageBaseDutch, kLanguageBaseFrench}) {
            const QString where = QStringLiteral(" in language %1").arg(base);
            Window w(base);
            frmSteg& window = *w.window;
            QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), Tr(base, TextId::FileMenu));
            QCOMPARE(frmSetPw(base, w.host).windowTitle(), Tr(base, TextId::SetPassphraseTitle));
            for (QLabel* label : window.findChildren<QLabel*>(QRegularExpression("^lbl"))) {
                const QString name = label->objectName() + where;
                QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()), qPrintable(name));
                QVERIFY2(label->geometry().right() < label->parentWidget()->width(), qPrintable(name));
            }
            for (QPushButton* button : window.findChildren<QPushButton*>()) {
                const int needed = button->fontMetrics().horizontalAdvance(LabelText(button->text().toStdString())) + 8;
                QVERIFY2(button->width() >= needed, qPrintable(button->objectName() + where));
            }
            // The options dialog's explanations wrap; every line of them must show.
            frmOpt options(w.session, window.commands(), w.host, &window);
            options.show();
            for (QLabel* label : options.findChildren<QLabel*>()) {
                if (label->wordWrap())
                    QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                             qPrintable(label->objectName() + where));
            }
            options.close();
            QVERIFY(Find(window, "txtOTyp")->x() > Find(window, "lblCarrierType")->geometry().right());
            QVERIFY(Find(window, "picProgBarSize")->x() > Find(window, "lblProcess")->geometry().right());
        }
        QCOMPARE(LabelText("Hiding && Extracting"), QStringLiteral("Hiding & Extracting"));
        QCOMPARE(LabelText("&Open &carrier file..."), QStringLiteral("Open carrier file..."));
        QCOMPARE(MessageText("a\r\nb"), QStringLiteral("a\nb"));
    }
    // Only a drop of exactly one file counts, on the widget that accepted the drag's entry.
    void dropsOfOneFileCount() {
        Window f;
        frmSteg& win = *f.window;
        const QString other = f.Path("other.bmp");
        MakeBitmap(other.toStdString(), 32, 32, 24, false, 2);
        f.Drop("txtOrigFile", {f.carrier, other});
        QVERIFY(TextOf(win, "txtOrigFile").isEmpty());
        f.Drop("txtOrigFile", {f.carrier});
        QCOMPARE(TextOf(win, "txtOrigFile"), f.carrier);
        QVERIFY(!TextOf(win, "txtOFree").isEmpty());
        f.Drop("Image1", {f.data, other});
        QVERIFY(TextOf(win, "txtDataFile").isEmpty());
        f.Drop("txtDataFile", {f.data});
        QCOMPARE(TextOf(win, "txtDataFile"), f.data);
        QVERIFY(f.session.dataExtension == "txt");
        QVERIFY(f.host.messages.empty());
    }

    // Closing during a hide waits for it to finish (a second command meanwhile does nothing);
    // the window's position then round-trips through the settings file.
    // Closing during a command asks; No lets the hide end and the window stays, Yes cancels the
    // hide (the carrier stays as it was) and the window goes once the command has ended.
    void closeDuringHideAsksAndWaitsForTheCommand() {
        for (const bool cancel : {false, true}) {
            Window f;
            frmSteg& win = *f.window;
            f.session.settings.ResetOnEnd = false;
            const Bytes original = ReadFile(f.carrier.toStdString());
            f.Drop("Image2", {f.carrier});
            f.Drop("Image1", {f.data});
            win.show();
            win.MoveToTwips(1500, 3000);
            QCOMPARE(win.pos(), QPoint(100, 200));
            bool stayedOpen = false, secondCommandRefused = false;
            f.host.boxAnswers = {cancel ? QMessageBox::Yes : QMessageBox::No};
            f.host.onDialog = [&](QDialog& dialog) {
                win.close();
                stayedOpen = win.isVisible();
                const std::size_t requestsBefore = f.host.fileRequests;
                Find<QAction>(win, "mnuDateiExportData")->trigger();
                secondCommandRefused = f.host.fileRequests == requestsBefore;
                QTest::keyClicks(Find(dialog, "txtPw1"), "secret");
                QTest::keyClicks(Find(dialog, "txtPw2"), "secret");
                Click(dialog, "cmdOk");
                return dialog.result();
            };
            Click(win, "cmdHide");
            QVERIFY(stayedOpen);
            QVERIFY(secondCommandRefused);
            QCOMPARE(f.host.messages.front().text, Tr(kEn, TextId::CloseDuringCommandQuestion));
            QCOMPARE(f.host.defaultButtons.front(), QMessageBox::No);
            QCOMPARE(win.isVisible(), !cancel);
            QCOMPARE(ReadFile(f.carrier.toStdString()) == original, cancel);
            if (!cancel) QCOMPARE(f.host.messages.back().text, Tr(kEn, TextId::HiddenText));
            if (!cancel) continue;
            QCOMPARE(f.host.messages.size(), std::size_t{1});  // no success, no failure
            const StartupSettings again = LoadSettings(f.session.iniPath, 30000, 20000);
            QCOMPARE(again.left, 1500);
            QCOMPARE(again.top, 3000);
        }
    }

    // While a hide runs nothing may change its carrier, data file or settings: the entries that
    // would are off (the carrier dialog does not open), the harmless ones stay on.
    void runningHideLocksWhatItWorksOn() {
        Window f;
        frmSteg& win = *f.window;
        f.session.settings.ResetOnEnd = false;
        f.Drop("Image2", {f.carrier});
        f.Drop("Image1", {f.data});
        const char* locked[] = {"mnuDateiCarrierOpen", "mnuDateiDataOpen",   "mnuDateiHide",  "mnuDateiHideAndMail",
                                "mnuDateiExtract",     "mnuDateiExportData", "mnuDateiReset", "mnuExtrasOptionen",
                                "mnuDateiCarrierSend", "mnuDateiCarrierSize"};
        const char* open[] = {"mnuDateiCarrierView", "mnuDateiBeenden", "mnuHilfeHelp", "mnuHilfeInfo"};
        QStringList wrong;
        bool carrierDialogOpened = true;
        f.host.onDialog = [&](QDialog& dialog) {
            for (const char* name : locked)
                if (Find<QAction>(win, name)->isEnabled()) wrong << name;
            for (const char* name : open)
                if (!Find<QAction>(win, name)->isEnabled()) wrong << name;
            if (Find(win, "cmdReset")->isEnabled()) wrong << "cmdReset";
            const std::size_t before = f.host.fileRequests;
            Find<QAction>(win, "mnuDateiCarrierOpen")->trigger();
            carrierDialogOpened = f.host.fileRequests != before;
            QTest::keyClicks(Find(dialog, "txtPw1"), "secret");
            QTest::keyClicks(Find(dialog, "txtPw2"), "secret");
            Click(dialog, "cmdOk");
            return dialog.result();
        };
        Click(win, "cmdHide");
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
        QVERIFY(!carrierDialogOpened);
        QCOMPARE(f.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        for (const char* name : locked) QVERIFY2(Find<QAction>(win, name)->isEnabled(), name);
        QVERIFY(Find(win, "cmdReset")->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
