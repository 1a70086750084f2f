// The main window: layout, menus, enabling rules, the wiring of buttons, menus and drops to the
// workflows, reset, the status panels, the window position and the deferred close.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/StatusPanels.h"
#include "ui/WindowFont.h"
#include "ui/frmSteg.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {

constexpr int kEn = kLanguageBaseEnglish;
const char* const kInputControls[] = {"cmdOrigSel", "cmdDataSel", "txtOrigFile", "txtDataFile",
                                      "cmdOptions", "cmdExtract", "cmdHide"};
const char* const kFieldNames[] = {"txtOrigFile", "txtOTyp", "txtOSize", "txtOFree",
                                   "txtDataFile", "txtDOrigSize", "txtDSize"};

void Drop(QWidget* target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    // Qt delivers a drop only to the widget that accepted the drag's entry, as a real drag does.
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

QString FieldText(frmSteg& window, const char* name) { return window.findChild<QLineEdit*>(name)->text(); }

void Click(frmSteg& window, const char* button) { QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton); }
void Trigger(frmSteg& window, const char* entry) { window.findChild<QAction*>(entry)->trigger(); }

// A window over a temporary session, with a carrier and a data file ready beside it.
struct Fixture {
    TempSession temp{kEn};
    ScriptedHost host;
    RecordingDesktop desktop;
    frmSteg window{temp.session, desktop, host};
    QString carrier = temp.Path("carrier.bmp");
    QString data = temp.Path("letter.txt");

    Fixture() {
        WriteBitmap(carrier, 64, 48);
        WriteText(temp.Path("Tarnwerk.chm"), QByteArray("help"));  // the help beside the program
        WriteText(data, QByteArray("Meet me at the old mill at noon.\n").repeated(8));
        window.Start();
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    void layoutFollowsTheTwipsDesign() {
        Fixture f;
        QWidget* client = f.window.centralWidget();
        QCOMPARE(client->size(), QSize(532, 301));
        QCOMPARE(f.window.findChild<QGroupBox*>("frameCarrierFile")->geometry(), QRect(6, 6, 520, 112));
        QCOMPARE(f.window.findChild<QGroupBox*>("frameDataFile")->geometry(), QRect(6, 123, 520, 97));
        QCOMPARE(f.window.findChild<QPushButton*>("cmdHide")->geometry(), QRect(318, 246, 100, 25));
        QCOMPARE(f.window.findChild<QWidget*>("txtOrigFile")->geometry(), QRect(48, 18, 433, 19));
        QCOMPARE(f.window.statusBar().geometry(), QRect(0, 281, 532, 20));
        const int rightEdges[] = {532 - 260, 532 - 190, 532 - 80, 532};
        for (int part = 0; part < 4; ++part) QCOMPARE(f.window.statusBar().PanelGeometry(part).right() + 1, rightEdges[part]);
        QCOMPARE(f.window.progressBar().maximum(), 100);
        QVERIFY(!f.window.progressBar().isTextVisible());
        QCOMPARE(f.window.minimumSize(), f.window.maximumSize());
    }

    void menusKeepTheirOrderAndSeparators() {
        Fixture f;
        QStringList names;
        for (QAction* action : f.window.findChild<QMenu*>("mnuDatei")->actions()) names << action->objectName();
        QCOMPARE(names, QStringList({"mnuDateiCarrierOpen", "mnuDateiCarrierView", "mnuDateiCarrierSend",
                                     "mnuDateiCarrierSize", "mnuDateiDataOpen", "mnuDateiStrich1", "mnuDateiHide",
                                     "mnuDateiHideAndMail", "mnuStrich3", "mnuDateiExtract", "mnuDateiExportData",
                                     "mnuDateiStrich2", "mnuDateiReset", "mnuDateiStrich3", "mnuDateiBeenden"}));
        QVERIFY(f.window.findChild<QAction*>("mnuDateiStrich2")->isSeparator());
        names.clear();
        for (QAction* action : f.window.findChild<QMenu*>("mnuHilfe")->actions()) names << action->objectName();
        QCOMPARE(names, QStringList({"mnuHilfeHelp", "mnuHilfeStrich1", "mnuHilfeInfo"}));
        for (const char* info : {"txtOTyp", "txtOSize", "txtOFree", "txtDOrigSize", "txtDSize"}) {
            QVERIFY(f.window.findChild<QLineEdit*>(info)->isReadOnly());
        }
        QVERIFY(!f.window.findChild<QLineEdit*>("txtDataFile")->isReadOnly());
    }

    void busyDisablesExactlyTheSevenInputControls() {
        Fixture f;
        f.window.SetBusy(true);
        for (const char* name : kInputControls) QVERIFY2(!f.window.findChild<QWidget*>(name)->isEnabled(), name);
        QVERIFY(f.window.findChild<QWidget*>("cmdReset")->isEnabled());
        QVERIFY(f.window.findChild<QWidget*>("cmdClose")->isEnabled());
        QVERIFY(f.window.findChild<QAction*>("mnuDateiHide")->isEnabled());
        QVERIFY(f.window.findChild<QMenu*>("mnuDatei")->isEnabled());
        QCOMPARE(f.window.cursor().shape(), Qt::WaitCursor);
        // A file dropped on an image while busy does not change the running command.
        Drop(f.window.findChild<QWidget*>("Image2"), {f.carrier});
        QVERIFY(FieldText(f.window, "txtOrigFile").isEmpty());
        f.window.SetBusy(false);
        for (const char* name : kInputControls) QVERIFY(f.window.findChild<QWidget*>(name)->isEnabled());
        QCOMPARE(f.window.cursor().shape(), Qt::ArrowCursor);
    }

    void hideWithoutCarrierAsksForOneAndEndsQuietly() {
        Fixture f;
        Click(f.window, "cmdHide");
        QCOMPARE(f.host.fileRequests.size(), std::size_t{1});
        QCOMPARE(f.host.fileRequests[0].title, Tr(kEn, 403));
        QVERIFY(f.host.fileRequests[0].mustExist);
        QCOMPARE(f.host.fileRequests[0].filters.size(), 3);
        QVERIFY(f.host.fileRequests[0].filters[0].endsWith("(*.bmp *.dib)"));
        QVERIFY(f.host.messages.empty());
        QCOMPARE(f.window.statusBar().Text(0), " " + Tr(kEn, 301));
        for (const char* name : kInputControls) QVERIFY(f.window.findChild<QWidget*>(name)->isEnabled());
    }

    void buttonsAndMenusReachTheirCommands() {
        Fixture f;
        f.host.fileAnswers = {f.data};
        Click(f.window, "cmdDataSel");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 404));
        QVERIFY(!f.host.fileRequests.back().mustExist);
        QCOMPARE(FieldText(f.window, "txtDataFile"), f.data);
        QVERIFY(!FieldText(f.window, "txtDOrigSize").isEmpty());

        Trigger(f.window, "mnuDateiDataOpen");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 404));
        f.host.fileAnswers = {f.carrier};
        Trigger(f.window, "mnuDateiCarrierOpen");
        QCOMPARE(f.host.fileRequests.back().title, Tr(kEn, 403));
        QCOMPARE(FieldText(f.window, "txtOrigFile"), f.carrier);

        Trigger(f.window, "mnuDateiCarrierView");
        QCOMPARE(QString::fromStdString(f.desktop.opened.back()), f.carrier);
        Trigger(f.window, "mnuHilfeHelp");
        QCOMPARE(f.desktop.opened.size(), std::size_t{2});

        Click(f.window, "cmdOptions");
        Trigger(f.window, "mnuExtrasOptionen");
        Trigger(f.window, "mnuHilfeInfo");
        QCOMPARE(f.host.dialogs, std::vector<QString>({"frmOpt", "frmOpt", "frmInfo"}));
    }

    void dropsOfExactlyOneFileCount() {
        Fixture f;
        const QString other = f.temp.Path("other.bmp");
        WriteBitmap(other, 32, 32);
        Drop(f.window.findChild<QWidget*>("txtOrigFile"), {f.carrier, other});
        QVERIFY(FieldText(f.window, "txtOrigFile").isEmpty());
        Drop(f.window.findChild<QWidget*>("txtOrigFile"), {f.carrier});
        QCOMPARE(FieldText(f.window, "txtOrigFile"), f.carrier);
        QVERIFY(!FieldText(f.window, "txtOFree").isEmpty());
        Drop(f.window.findChild<QWidget*>("Image2"), {other});
        QCOMPARE(FieldText(f.window, "txtOrigFile"), other);

        Drop(f.window.findChild<QWidget*>("Image1"), {f.data, other});
        QVERIFY(FieldText(f.window, "txtDataFile").isEmpty());
        Drop(f.window.findChild<QWidget*>("txtDataFile"), {f.data});
        QCOMPARE(FieldText(f.window, "txtDataFile"), f.data);
        QVERIFY(f.temp.session.dataExtension == "txt");  // the dropped file's extension is recorded

        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.window.findChild<QWidget*>("txtDataFile"), &drop);
        QCOMPARE(FieldText(f.window, "txtDataFile"), f.data);
        QVERIFY(f.host.messages.empty());
    }

    void typedDataPathReachesTheSession() {
        Fixture f;
        auto* field = f.window.findChild<QLineEdit*>("txtDataFile");
        field->setFocus();
        QTest::keyClicks(field, f.data);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(QString::fromStdString(f.temp.session.fields.dataFile), f.data);
    }

    void resetEmptiesAllSevenFields() {
        Fixture f;
        Drop(f.window.findChild<QWidget*>("Image2"), {f.carrier});
        Drop(f.window.findChild<QWidget*>("Image1"), {f.data});
        QVERIFY(!FieldText(f.window, "txtOTyp").isEmpty());
        Click(f.window, "cmdReset");
        for (const char* name : kFieldNames) QVERIFY2(FieldText(f.window, name).isEmpty(), name);
        QVERIFY(!f.temp.session.carrier.IsLoaded());
    }

    void statusPanelsFollowAnOptionsChange() {
        Fixture f;
        QCOMPARE(f.window.statusBar().Text(1), " " + Tr(kEn, 302) + " ");
        QCOMPARE(f.window.statusBar().Text(2), " " + Tr(kEn, 303) + " RC4 ");
        QCOMPARE(f.window.statusBar().Text(3), " 2 " + Tr(kEn, 304) + " ");
        Drop(f.window.findChild<QWidget*>("Image2"), {f.carrier});
        const QString freeBefore = FieldText(f.window, "txtOFree");
        f.host.onDialog = [](QDialog& dialog) {
            dialog.findChild<QComboBox*>("comboBits")->setCurrentIndex(2);
            dialog.findChild<QComboBox*>("comboAlgorithmus")->setCurrentIndex(4);
            dialog.findChild<QCheckBox*>("checkCompress")->setChecked(false);
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
            return dialog.result();
        };
        Click(f.window, "cmdOptions");
        QCOMPARE(f.window.statusBar().Text(1), QStringLiteral(" "));
        QCOMPARE(f.window.statusBar().Text(2), " " + Tr(kEn, 303) + " Twofish ");
        QCOMPARE(f.window.statusBar().Text(3), " 4 " + Tr(kEn, 304) + " ");
        QVERIFY(FieldText(f.window, "txtOFree") != freeBefore);  // the carrier was measured again
        QCOMPARE(ReadIniValue(f.temp.session.iniPath, "Settings", "BitPerByte", ""), std::string("2"));
    }

    void windowPositionRoundTrip() {
        Fixture f;
        f.window.show();
        f.window.MoveToTwips(1500, 3000);
        QCOMPARE(f.window.pos(), QPoint(100, 200));
        QVERIFY(f.window.close());
        const StartupSettings again = LoadSettings(f.temp.session.iniPath, 30000, 20000);
        QCOMPARE(again.left, 1500);
        QCOMPARE(again.top, 3000);
    }

    // Closing while a hide runs must not cut the carrier off half-way: the window closes
    // once the hide has finished, and a second command meanwhile does nothing.
    void closeDuringHideWaitsForTheHide() {
        Fixture f;
        f.temp.session.settings.ResetOnEnd = 0;
        const QByteArray original = [&] {
            QFile file(f.carrier);
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }();
        Drop(f.window.findChild<QWidget*>("Image2"), {f.carrier});
        Drop(f.window.findChild<QWidget*>("Image1"), {f.data});
        f.window.show();
        bool stayedOpen = false;
        bool secondCommandRefused = false;
        f.host.onDialog = [&](QDialog& dialog) {
            f.window.close();
            stayedOpen = f.window.isVisible() && f.window.closePending();
            const std::size_t requestsBefore = f.host.fileRequests.size() + f.host.messages.size();
            Trigger(f.window, "mnuDateiExportData");
            secondCommandRefused = f.host.fileRequests.size() + f.host.messages.size() == requestsBefore;
            QTest::keyClicks(dialog.findChild<QLineEdit*>("txtPw1"), "secret");
            QTest::keyClicks(dialog.findChild<QLineEdit*>("txtPw2"), "secret");
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
            return dialog.result();
        };
        Click(f.window, "cmdHide");
        QVERIFY(stayedOpen);
        QVERIFY(secondCommandRefused);
        QCOMPARE(f.host.dialogs, std::vector<QString>({"frmSetPw"}));
        QVERIFY(!f.window.isVisible());
        QVERIFY(!f.host.messages.empty());
        QCOMPARE(f.host.messages.back().text, Tr(kEn, 435));
        QFile written(f.carrier);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll() != original);
        QVERIFY(!ReadIniValue(f.temp.session.iniPath, "Global", "Top", "").empty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
