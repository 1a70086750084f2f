// Captions in each language, the label text convention, and that no caption is clipped.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/ApplyLanguage.h"
#include "ui/DialogHost.h"
#include "ui/QtText.h"
#include "ui/WindowFont.h"
#include "ui/frmGetPw.h"
#include "ui/frmInfo.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"
#include "ui/frmSteg.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {
constexpr int kBases[] = {kLanguageBaseGerman, kLanguageBaseEnglish, kLanguageBaseDutch, kLanguageBaseFrench};
}

class CaptionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    void mainWindowFollowsTheLanguage() {
        for (int base : {kLanguageBaseGerman, kLanguageBaseEnglish}) {
            TempSession temp(base);
            ScriptedHost host;
            RecordingDesktop desktop;
            frmSteg window(temp.session, desktop, host);
            QCOMPARE(window.findChild<QMenu*>("mnuDatei")->title(), Tr(base, 101));
            QCOMPARE(window.findChild<QAction*>("mnuDateiHideAndMail")->text(), Tr(base, 115));
            QCOMPARE(window.findChild<QAction*>("mnuHilfeHelp")->text(), Tr(base, 117));
            QCOMPARE(window.findChild<QGroupBox*>("frameCarrierFile")->title(), Tr(base, 201));
            QCOMPARE(window.findChild<QLabel*>("lblProcess")->text(), Tr(base, 210));
            QCOMPARE(window.findChild<QPushButton*>("cmdHide")->text(), Tr(base, 214));
            QCOMPARE(window.windowTitle(), QStringLiteral("Tarnwerk"));
        }
        TempSession german(kLanguageBaseGerman);
        ScriptedHost host;
        RecordingDesktop desktop;
        frmSteg window(german.session, desktop, host);
        QCOMPARE(window.findChild<QMenu*>("mnuDatei")->title(), QStringLiteral("&Datei"));
        german.session.languageBase = kLanguageBaseEnglish;
        window.ApplyCaptions();
        QCOMPARE(window.findChild<QMenu*>("mnuDatei")->title(), QStringLiteral("&File"));
        QCOMPARE(window.findChild<QPushButton*>("cmdClose")->text(), QStringLiteral("Exit"));
    }

    void unknownFormNameChangesNothing() {
        TempSession temp(kLanguageBaseGerman);
        ScriptedHost host;
        RecordingDesktop desktop;
        frmSteg window(temp.session, desktop, host);
        const QString before = window.findChild<QPushButton*>("cmdHide")->text();
        ApplyLanguage(window, "frmstegx", kLanguageBaseEnglish);
        ApplyLanguage(window, "", kLanguageBaseEnglish);
        QCOMPARE(window.findChild<QPushButton*>("cmdHide")->text(), before);
    }

    void dialogsFollowTheLanguage() {
        TempSession temp(kLanguageBaseEnglish);
        ScriptedHost host;
        RecordingDesktop desktop;
        frmSteg window(temp.session, desktop, host);
        frmSetPw set(kLanguageBaseGerman, host);
        QCOMPARE(set.windowTitle(), Tr(0, 226));
        QCOMPARE(set.findChild<QLabel*>("lblPw2")->text(), Tr(0, 221));
        QCOMPARE(set.findChild<QPushButton*>("cmdCancel")->text(), Tr(0, 225));
        frmGetPw get(kLanguageBaseEnglish, host);
        QCOMPARE(get.windowTitle(), QStringLiteral("Passphrase"));
        QCOMPARE(get.findChild<QLabel*>("lblPw")->text(), QStringLiteral("Passphrase:"));
        frmOpt options(temp.session, window.commands(), host);
        QCOMPARE(options.windowTitle(), QStringLiteral("Settings"));
        // Qt shares the "&&" convention: the frame shows a single "&".
        QCOMPARE(options.findChild<QGroupBox*>("frameHideExtract")->title(), QStringLiteral("Hiding && Extracting"));
        QCOMPARE(options.findChild<QPushButton*>("cmdSave")->text(), QStringLiteral("Save"));
        options.Unload();
    }

    void aboutBoxTexts() {
        ScriptedHost host;
        RecordingDesktop desktop;
        frmInfo about(kLanguageBaseEnglish, desktop, host);
        QCOMPARE(about.windowTitle(), QStringLiteral(" About Tarnwerk"));
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(),
                 QStringLiteral("Version %1 - %2").arg(QStringLiteral(TARNWERK_VERSION), Tr(kLanguageBaseEnglish, 23)));
        QCOMPARE(about.findChild<QLabel*>("lblLink")->text(), QStringLiteral(TARNWERK_HOME_PAGE));
        QCOMPARE(about.findChild<QLabel*>("lblLink")->toolTip(), Tr(kLanguageBaseEnglish, 13));
        // The English id 255 is a single blank, so the warning ends in two blanks.
        QVERIFY(about.findChild<QLabel*>("lblUHG")->text().endsWith(QStringLiteral("  ")));
        QCOMPARE(about.findChild<QGroupBox*>("frmExtInfo")->title(), Tr(kLanguageBaseEnglish, 251));
    }

    void creditListGroupsByComponent() {
        const QString credits = QString::fromStdString(CreditList(kLanguageBaseEnglish));
        const QStringList lines = credits.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 22 + 7);  // ids 900 to 921 and one blank line after each of seven groups
        QCOMPARE(lines.first(), Tr(kLanguageBaseEnglish, 900));
        QCOMPARE(lines[2], Tr(kLanguageBaseEnglish, 902));
        QVERIFY(lines[3].isEmpty());
        QCOMPARE(lines[4], Tr(kLanguageBaseEnglish, 903));
        QCOMPARE(lines.last(), Tr(kLanguageBaseEnglish, 921));  // no line break after the last line
        QCOMPARE(lines.count(QString()), 7);
    }

    void labelsResolveTheAcceleratorMark() {
        QCOMPARE(LabelText("Hiding && Extracting"), QStringLiteral("Hiding & Extracting"));
        QCOMPARE(LabelText("&Open &carrier file..."), QStringLiteral("Open carrier file..."));
        QCOMPARE(LabelText("Status of Process:"), QStringLiteral("Status of Process:"));
        QCOMPARE(MessageText("a\r\nb"), QStringLiteral("a\nb"));
    }

    void fileFiltersUseQtPatterns() {
        const QStringList filters = QtFilterList({{"Bitmap-picture format (*.bmp;*.dib)", "*.bmp;*.dib"},
                                                  {"All supported formats", "*.bmp;*.dib;*.raw"}});
        QCOMPARE(filters, QStringList({QStringLiteral("Bitmap-picture format (*.bmp *.dib)"),
                                       QStringLiteral("All supported formats (*.bmp *.dib *.raw)")}));
    }

    // Captions must fit their controls in every language, with the program's font.
    void noCaptionIsClipped() {
        for (int base : kBases) {
            TempSession temp(base);
            ScriptedHost host;
            RecordingDesktop desktop;
            frmSteg window(temp.session, desktop, host);
            for (QLabel* label : window.findChildren<QLabel*>(QRegularExpression("^lbl"))) {
                const int needed = label->fontMetrics().horizontalAdvance(label->text());
                QVERIFY2(label->width() >= needed, qPrintable(QStringLiteral("%1 in %2").arg(label->objectName()).arg(base)));
                const QWidget* next = label->parentWidget();
                QVERIFY(label->geometry().right() < next->width());
            }
            for (QPushButton* button : window.findChildren<QPushButton*>()) {
                const int needed = button->fontMetrics().horizontalAdvance(LabelText(button->text().toStdString())) + 8;
                QVERIFY2(button->width() >= needed, qPrintable(button->objectName()));
            }
            QVERIFY(window.findChild<QWidget*>("txtOTyp")->x() > window.findChild<QLabel*>("lblCarrierType")->geometry().right());
            QVERIFY(window.findChild<QWidget*>("picProgBarSize")->x() > window.findChild<QLabel*>("lblProcess")->geometry().right());
        }
    }
};

QTEST_MAIN(CaptionsTest)
#include "CaptionsTest.moc"
