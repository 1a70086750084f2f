// Captions in each language, and that no caption is clipped.
#include "UiTestSupport.h"
#include "ui/ApplyLanguage.h"
#include "ui/QtText.h"
#include "ui/frmSetPw.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

class CaptionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    // With the program's font, in every language: the captions are that language's, and each
    // label and button is wide enough for its caption.
    void captionsFitInEveryLanguage() {
        for (int base : {kDe, kEn, kLanguageBaseDutch, kLanguageBaseFrench}) {
            const QString where = QStringLiteral(" in language %1").arg(base);
            Window w(base);
            frmSteg& window = *w.window;
            QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), Tr(base, 101));
            QCOMPARE(Find<QPushButton>(window, "cmdHide")->text(), Tr(base, 214));
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
            const int other = base == kEn ? kDe : kEn;
            ApplyLanguage(window, "frmstegx", other);  // an unknown form name changes nothing
            ApplyLanguage(window, "", other);
            QCOMPARE(Find<QPushButton>(window, "cmdHide")->text(), Tr(base, 214));
        }
    }

    void textConventions() {
        QCOMPARE(LabelText("Hiding && Extracting"), QStringLiteral("Hiding & Extracting"));
        QCOMPARE(LabelText("&Open &carrier file..."), QStringLiteral("Open carrier file..."));
        QCOMPARE(MessageText("a\r\nb"), QStringLiteral("a\nb"));
    }
};

QTEST_MAIN(CaptionsTest)
#include "CaptionsTest.moc"
