// The main window: enabling rules, the wiring of buttons, menus and drops to the workflows,
// the window position and the deferred close.
#include "UiTestSupport.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {

const char* const kInputControls[] = {"cmdOrigSel", "cmdDataSel", "txtOrigFile", "txtDataFile",
                                      "cmdOptions", "cmdExtract", "cmdHide"};

// A started window with a carrier, a data file and the help file beside the program.
struct Fixture : Window {
    frmSteg& win = *window;
    QString carrier = Path("carrier.bmp"), data = Path("letter.txt");

    Fixture() {
        MakeBitmap(carrier.toStdString(), 64, 48, 24, false, 1);
        Put(dir.File("Tarnwerk.chm"), "help");
        Put(data.toStdString(), std::string(264, 'm'));
        win.Start();
    }
    void Trigger(const char* entry) { Find<QAction>(win, entry)->trigger(); }
    void Drop(const char* target, const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        mime.setUrls(urls);
        // Qt delivers a drop only to the widget that accepted the drag's entry, as a real drag does.
        QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Find(win, target), &enter);
        QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Find(win, target), &drop);
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    void busyDisablesExactlyTheSevenInputControls() {
        Fixture f;
        for (const char* info : {"txtOTyp", "txtOSize", "txtOFree", "txtDOrigSize", "txtDSize"}) {
            QVERIFY2(Find<QLineEdit>(f.win, info)->isReadOnly(), info);
        }
        QVERIFY(!Find<QLineEdit>(f.win, "txtDataFile")->isReadOnly());
        f.win.SetBusy(true);
        for (const char* name : kInputControls) QVERIFY2(!Find(f.win, name)->isEnabled(), name);
        for (const char* name : {"cmdReset", "cmdClose", "mnuDatei"}) QVERIFY2(Find(f.win, name)->isEnabled(), name);
        QVERIFY(Find<QAction>(f.win, "mnuDateiHide")->isEnabled());
        QCOMPARE(f.win.cursor().shape(), Qt::WaitCursor);
        f.Drop("Image2", {f.carrier});  // does not change the running command
        QVERIFY(TextOf(f.win, "txtOrigFile").isEmpty());
        f.win.SetBusy(false);
        for (const char* name : kInputControls) QVERIFY(Find(f.win, name)->isEnabled());
        QCOMPARE(f.win.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(f.win.close());  // when idle the window closes at once
    }

    void buttonsAndMenusReachTheirCommands() {
        Fixture f;
        Click(f.win, "cmdHide");  // without a carrier: asks for one, ends quietly when cancelled
        QCOMPARE(f.host.fileRequests.size(), std::size_t{1});
        QCOMPARE(f.host.fileRequests[0].title, Tr(kEn, 403));
        QVERIFY(f.host.fileRequests[0].mustExist);
        const QStringList& filters = f.host.fileRequests[0].filters;
        QCOMPARE(filters.size(), 3);  // in Qt's pattern form, also for the entry that names none
        QVERIFY(filters[0].endsWith("(*.bmp *.dib)"));
        QCOMPARE(filters[2], Tr(kEn, 314).trimmed() + " (*.bmp *.dib *.raw)");
        QVERIFY(f.host.messages.empty());
        QCOMPARE(f.win.statusBar().Text(0), " " + Tr(kEn, 301));
        for (const char* name : kInputControls) QVERIFY(Find(f.win, name)->isEnabled());

        f.host.fileAnswers = {f.data};
        Click(f.win, "cmdDataSel");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 404));
        QVERIFY(!f.host.fileRequests.back().mustExist);
        QCOMPARE(TextOf(f.win, "txtDataFile"), f.data);
        QVERIFY(!TextOf(f.win, "txtDOrigSize").isEmpty());
        f.Trigger("mnuDateiDataOpen");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 404));
        f.host.fileAnswers = {f.carrier};
        f.Trigger("mnuDateiCarrierOpen");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 403));
        QCOMPARE(TextOf(f.win, "txtOrigFile"), f.carrier);

        f.Trigger("mnuDateiCarrierView");
        QCOMPARE(QString::fromStdString(f.desktop.opened.back()), f.carrier);
        f.Trigger("mnuHilfeHelp");
        QCOMPARE(f.desktop.opened.size(), std::size_t{2});
        Click(f.win, "cmdOptions");
        f.Trigger("mnuExtrasOptionen");
        f.Trigger("mnuHilfeInfo");
        QCOMPARE(f.host.dialogs, std::vector<QString>({"frmOpt", "frmOpt", "frmInfo"}));

        Find<QLineEdit>(f.win, "txtDataFile")->clear();  // a typed path reaches the session
        Type(f.win, "txtDataFile", f.carrier);
        QTest::keyClick(Find(f.win, "txtDataFile"), Qt::Key_Return);
        QCOMPARE(QString::fromStdString(f.session.fields.dataFile), f.carrier);
    }

    // Only a drop of exactly one file counts; reset then empties all seven fields.
    void dropsOfOneFileCountAndResetEmptiesThem() {
        Fixture f;
        const QString other = f.Path("other.bmp");
        MakeBitmap(other.toStdString(), 32, 32, 24, false, 2);
        f.Drop("txtOrigFile", {f.carrier, other});
        QVERIFY(TextOf(f.win, "txtOrigFile").isEmpty());
        f.Drop("txtOrigFile", {f.carrier});
        QCOMPARE(TextOf(f.win, "txtOrigFile"), f.carrier);
        QVERIFY(!TextOf(f.win, "txtOFree").isEmpty());
        f.Drop("Image2", {other});
        QCOMPARE(TextOf(f.win, "txtOrigFile"), other);
        f.Drop("Image1", {f.data, other});
        QVERIFY(TextOf(f.win, "txtDataFile").isEmpty());
        f.Drop("txtDataFile", {f.data});
        QCOMPARE(TextOf(f.win, "txtDataFile"), f.data);
        QVERIFY(f.session.dataExtension == "txt");  // the dropped file's extension is recorded
        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Find(f.win, "txtDataFile"), &drop);
        QCOMPARE(TextOf(f.win, "txtDataFile"), f.data);
        QVERIFY(f.host.messages.empty());

        QVERIFY(!TextOf(f.win, "txtOTyp").isEmpty());
        Click(f.win, "cmdReset");
        for (const char* name :
             {"txtOrigFile", "txtOTyp", "txtOSize", "txtOFree", "txtDataFile", "txtDOrigSize", "txtDSize"}) {
            QVERIFY2(TextOf(f.win, name).isEmpty(), name);
        }
        QVERIFY(!f.session.carrier.IsLoaded());
    }

    // Closing while a hide runs must not cut the carrier off half-way: the window closes
    // once the hide has finished, and a second command meanwhile does nothing. The window's
    // position then round-trips through the settings file.
    void closeDuringHideWaitsForTheHideAndKeepsThePosition() {
        Fixture f;
        f.session.settings.ResetOnEnd = 0;
        const Bytes original = ReadFile(f.carrier.toStdString());
        f.Drop("Image2", {f.carrier});
        f.Drop("Image1", {f.data});
        f.win.show();
        f.win.MoveToTwips(1500, 3000);
        QCOMPARE(f.win.pos(), QPoint(100, 200));
        bool stayedOpen = false, secondCommandRefused = false;
        f.host.onDialog = [&](QDialog& dialog) {
            f.win.close();
            stayedOpen = f.win.isVisible() && f.win.closePending();
            const std::size_t requestsBefore = f.host.fileRequests.size() + f.host.messages.size();
            f.Trigger("mnuDateiExportData");
            secondCommandRefused = f.host.fileRequests.size() + f.host.messages.size() == requestsBefore;
            QTest::keyClicks(Find(dialog, "txtPw1"), "secret");
            QTest::keyClicks(Find(dialog, "txtPw2"), "secret");
            Click(dialog, "cmdOk");
            return dialog.result();
        };
        Click(f.win, "cmdHide");
        QVERIFY(stayedOpen);
        QVERIFY(secondCommandRefused);
        QCOMPARE(f.host.dialogs, std::vector<QString>({"frmSetPw"}));
        QVERIFY(!f.win.isVisible());
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
