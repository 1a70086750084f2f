// The main window: captions in each language and that none is clipped, enabling rules, the
// wiring of buttons, menus and drops to the workflows, the window position and the deferred close.
#include "UiTestSupport.h"
#include "ui/QtText.h"
#include "ui/frmSetPw.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

const char* const kInputControls[] = {"cmdOrigSel", "cmdDataSel", "txtOrigFile", "txtDataFile",
                                      "cmdOptions", "cmdExtract", "cmdHide"};

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
            QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), Tr(base, 101));
            QCOMPARE(frmSetPw(base, w.host).windowTitle(), Tr(base, 226));
            for (QLabel* label : window.findChildren<QLabel*>(QRegularExpression("^lbl"))) {
                const QString name = label->objectName() + where;
                QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()), qPrintable(name));
                QVERIFY2(label->geometry().right() < label->parentWidget()->width(), qPrintable(name));
            }
            for (QPushButton* button : window.findChildren<QPushButton*>()) {
                const int needed = button->fontMetrics().horizontalAdvance(LabelText(button->text().toStdString())) + 8;
                QVERIFY2(button->width() >= needed, qPrintable(button->objectName() + where));
            }
            QVERIFY(Find(window, "txtOTyp")->x() > Find(window, "lblCarrierType")->geometry().right());
            QVERIFY(Find(window, "picProgBarSize")->x() > Find(window, "lblProcess")->geometry().right());
        }
        QCOMPARE(LabelText("Hiding && Extracting"), QStringLiteral("Hiding & Extracting"));
        QCOMPARE(LabelText("&Open &carrier file..."), QStringLiteral("Open carrier file..."));
        QCOMPARE(MessageText("a\r\nb"), QStringLiteral("a\nb"));
    }
    void buttonsAndMenusReachTheirCommands() {
        Window f;
        frmSteg& win = *f.window;
        Click(win, "cmdHide");  // without a carrier: asks for one, ends quietly when cancelled
        QCOMPARE(f.host.fileRequests.size(), std::size_t{1});
        QCOMPARE(f.host.fileRequests[0].title, Tr(kEn, 403));
        QVERIFY(f.host.fileRequests[0].mustExist);
        const QStringList& filters = f.host.fileRequests[0].filters;
        QCOMPARE(filters.size(), 3);  // in Qt's pattern form, also for the entry that names none
        QVERIFY(filters[0].endsWith("(*.bmp *.dib)"));
        QCOMPARE(filters[2], Tr(kEn, 314).trimmed() + " (*.bmp *.dib *.raw)");
        QVERIFY(f.host.messages.empty());
        QCOMPARE(win.statusBar().Text(0), " " + Tr(kEn, 301));
        for (const char* name : kInputControls) QVERIFY(Find(win, name)->isEnabled());

        f.host.fileAnswers = {f.data};
        Click(win, "cmdDataSel");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 404));
        QVERIFY(!f.host.fileRequests.back().mustExist);
        QCOMPARE(TextOf(win, "txtDataFile"), f.data);
        QVERIFY(!TextOf(win, "txtDOrigSize").isEmpty());
        f.Trigger("mnuDateiDataOpen");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 404));
        f.host.fileAnswers = {f.carrier};
        f.Trigger("mnuDateiCarrierOpen");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 403));
        QCOMPARE(TextOf(win, "txtOrigFile"), f.carrier);
        f.Trigger("mnuDateiCarrierView");
        QCOMPARE(QString::fromStdString(f.desktop.opened.back()), f.carrier);
        f.Trigger("mnuHilfeHelp");
        QCOMPARE(f.desktop.opened.size(), std::size_t{2});
        Click(win, "cmdOptions");
        f.Trigger("mnuExtrasOptionen");
        f.Trigger("mnuHilfeInfo");
        QCOMPARE(f.host.dialogs, std::vector<QString>({"frmOpt", "frmOpt", "frmInfo"}));
        Find<QLineEdit>(win, "txtDataFile")->clear();  // a typed path reaches the session
        Type(win, "txtDataFile", f.carrier);
        QTest::keyClick(Find(win, "txtDataFile"), Qt::Key_Return);
        QCOMPARE(QString::fromStdString(f.session.fields.dataFile), f.carrier);
    }

    // Busy disables exactly the seven input controls and ignores drops. Idle, only a drop of
    // exactly one file counts; reset then empties all seven fields.
    void dropsCountWhenIdleAndOfOneFile() {
        Window f;
        frmSteg& win = *f.window;
        win.SetBusy(true);
        for (const char* name : kInputControls) QVERIFY2(!Find(win, name)->isEnabled(), name);
        for (const char* name : {"cmdReset", "cmdClose", "mnuDatei"}) QVERIFY2(Find(win, name)->isEnabled(), name);
        QVERIFY(Find<QAction>(win, "mnuDateiHide")->isEnabled());
        QCOMPARE(win.cursor().shape(), Qt::WaitCursor);
        f.Drop("Image2", {f.carrier});
        QVERIFY(TextOf(win, "txtOrigFile").isEmpty());
        win.SetBusy(false);
        for (const char* name : kInputControls) QVERIFY(Find(win, name)->isEnabled());
        QCOMPARE(win.cursor().shape(), Qt::ArrowCursor);

        const QString other = f.Path("other.bmp");
        MakeBitmap(other.toStdString(), 32, 32, 24, false, 2);
        f.Drop("txtOrigFile", {f.carrier, other});
        QVERIFY(TextOf(win, "txtOrigFile").isEmpty());
        f.Drop("txtOrigFile", {f.carrier});
        QCOMPARE(TextOf(win, "txtOrigFile"), f.carrier);
        QVERIFY(!TextOf(win, "txtOFree").isEmpty());
        f.Drop("Image2", {other});
        QCOMPARE(TextOf(win, "txtOrigFile"), other);
        f.Drop("Image1", {f.data, other});
        QVERIFY(TextOf(win, "txtDataFile").isEmpty());
        f.Drop("txtDataFile", {f.data});
        QCOMPARE(TextOf(win, "txtDataFile"), f.data);
        QVERIFY(f.session.dataExtension == "txt");
        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Find(win, "txtDataFile"), &drop);
        QCOMPARE(TextOf(win, "txtDataFile"), f.data);
        QVERIFY(f.host.messages.empty());
        Click(win, "cmdReset");
        for (const char* name : {"txtOrigFile", "txtOTyp", "txtOSize", "txtOFree", "txtDataFile", "txtDOrigSize", "txtDSize"})
            QVERIFY2(TextOf(win, name).isEmpty(), name);
        QVERIFY(!f.session.carrier.IsLoaded());
        QVERIFY(win.close());  // when idle the window closes at once
    }

    // Closing while a hide runs must not cut the carrier off half-way: the window closes
    // once the hide has finished, and a second command meanwhile does nothing. The window's
    // position then round-trips through the settings file.
    void closeDuringHideWaitsForTheHideAndKeepsThePosition() {
        Window f;
        frmSteg& win = *f.window;
        f.session.settings.ResetOnEnd = 0;
        const Bytes original = ReadFile(f.carrier.toStdString());
        f.Drop("Image2", {f.carrier});
        f.Drop("Image1", {f.data});
        win.show();
        win.MoveToTwips(1500, 3000);
        QCOMPARE(win.pos(), QPoint(100, 200));
        bool stayedOpen = false, secondCommandRefused = false;
        f.host.onDialog = [&](QDialog& dialog) {
            win.close();
            stayedOpen = win.isVisible() && win.closePending();
            const std::size_t requestsBefore = f.host.fileRequests.size() + f.host.messages.size();
            f.Trigger("mnuDateiExportData");
            secondCommandRefused = f.host.fileRequests.size() + f.host.messages.size() == requestsBefore;
            QTest::keyClicks(Find(dialog, "txtPw1"), "secret");
            QTest::keyClicks(Find(dialog, "txtPw2"), "secret");
            Click(dialog, "cmdOk");
            return dialog.result();
        };
        Click(win, "cmdHide");
        QVERIFY(stayedOpen);
        QVERIFY(secondCommandRefused);
        QCOMPARE(f.host.dialogs, std::vector<QString>({"frmSetPw"}));
        QVERIFY(!win.isVisible());
        QVERIFY(!f.host.messages.empty());
        QCOMPARE(f.host.messages.back().text, Tr(kEn, 435));
        QVERIFY(ReadFile(f.carrier.toStdString()) != original);
        const StartupSettings again = LoadSettings(f.session.iniPath, 30000, 20000);
        QCOMPARE(again.left, 1500);
        QCOMPARE(again.top, 3000);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
