// The passphrase dialogs' rules and rating, the options dialog's Save/OK/Cancel and language
// switch.
#include "UiTestSupport.h"
#include "ui/frmGetPw.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {

int Rating(const QString& text) {
    ScriptedHost host;
    frmSetPw dialog(kEn, host);
    Type(dialog, "txtPw1", text);
    return dialog.QualityShown();
}
QComboBox* Combo(QObject& dialog, const char* name) { return Find<QComboBox>(dialog, name); }
QCheckBox* Check(QObject& dialog, const char* name) { return Find<QCheckBox>(dialog, name); }

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    // The entry rules of both passphrase dialogs: length, equality, Enter, Cancel and the close box.
    void passphraseRules() {
        ScriptedHost host;
        frmSetPw dialog(kEn, host);
        dialog.show();
        Type(dialog, "txtPw1", " ab ");
        Type(dialog, "txtPw2", " ab ");
        Click(dialog, "cmdOk");
        QCOMPARE(host.messages.size(), std::size_t{1});
        QCOMPARE(host.messages[0].text, Tr(kEn, 445) + "\n" + Tr(kEn, 446));
        QCOMPARE(host.messages[0].title, Tr(kEn, 447));
        QCOMPARE(host.messages[0].icon, QMessageBox::Warning);
        QVERIFY(dialog.isVisible());
        QCOMPARE(TextOf(dialog, "txtPw1"), QStringLiteral(" ab "));  // contents kept
        Find<QLineEdit>(dialog, "txtPw1")->setText("a b ");
        Find<QLineEdit>(dialog, "txtPw2")->setText("a b");  // the trailing blank is part of the passphrase
        Click(dialog, "cmdOk");
        QCOMPARE(host.messages.back().text, Tr(kEn, 450) + "\n" + Tr(kEn, 451));
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.TakePassphrase().has_value());
        Find<QLineEdit>(dialog, "txtPw2")->setText("a b ");
        Click(dialog, "cmdOk");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.TakePassphrase(), std::optional<std::string>("a b "));
        QVERIFY(TextOf(dialog, "txtPw1").isEmpty() && TextOf(dialog, "txtPw2").isEmpty());  // nothing lingers

        // Enter moves on in the first field and accepts in the last; Cancel gives no passphrase.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        Type(dialog, "txtPw1", "secret");
        QTest::keyClick(Find(dialog, "txtPw1"), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), Find(dialog, "txtPw2"));
        QTest::keyClicks(Find(dialog, "txtPw2"), "secret");
        QTest::keyClick(Find(dialog, "txtPw2"), Qt::Key_Enter);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.TakePassphrase(), std::optional<std::string>("secret"));
        dialog.show();
        Type(dialog, "txtPw1", "secret");
        Type(dialog, "txtPw2", "secret");
        Click(dialog, "cmdCancel");
        QVERIFY(!dialog.TakePassphrase().has_value());
        QVERIFY(TextOf(dialog, "txtPw1").isEmpty());

        frmGetPw get(kEn, host);
        get.show();
        Type(get, "txtPw", "xy");
        QTest::keyClick(Find(get, "txtPw"), Qt::Key_Return);
        QCOMPARE(host.messages.size(), std::size_t{3});      // one more than the two above
        QCOMPARE(host.messages.back().title, Tr(kEn, 447));  // too short, the dialog stays
        QVERIFY(get.isVisible());
        QTest::keyClicks(Find(get, "txtPw"), "z");
        QTest::keyClick(Find(get, "txtPw"), Qt::Key_Return);
        QVERIFY(!get.isVisible());
        QCOMPARE(get.TakePassphrase(), std::optional<std::string>("xyz"));
        get.show();
        Type(get, "txtPw", "secret");
        get.close();
        QVERIFY(!get.TakePassphrase().has_value());
    }

    void qualityRating() {
        QCOMPARE(Rating("abc"), 6);
        QCOMPARE(Rating("aBc1"), 96);
        QCOMPARE(Rating("aBc1!"), frmSetPw::kQualityMaximum);  // 600 fills the bar
        QCOMPARE(Rating(QString::fromUtf8("ßßß")), 3);
        QCOMPARE(Rating("a b"), 3 * 2 * 5);  // a blank counts as a special character
        ScriptedHost host;                   // only key releases in the first field rate
        frmSetPw dialog(kEn, host);
        Type(dialog, "txtPw2", "aBc1!");
        Find<QLineEdit>(dialog, "txtPw1")->setText("aBc1!");
        QCOMPARE(dialog.QualityShown(), 0);
        QTest::keyClick(Find(dialog, "txtPw1"), Qt::Key_End);
        QCOMPARE(dialog.QualityShown(), frmSetPw::kQualityMaximum);
        QCOMPARE(dialog.findChild<QProgressBar*>()->maximum(), frmSetPw::kQualityMaximum);
    }

    void optionsShowSaveOkAndCancel() {
        Window w;
        SettingsRecord& stored = w.session.settings;
        stored.BitPerByte = 2, stored.Algorithmus = 3, stored.Compression = 0;
        stored.Language = 7;  // only a hand-edited file holds this
        const std::string& ini = w.session.iniPath;
        {
            frmOpt dialog(w.session, w.window->commands(), w.host);
            QCOMPARE(Combo(dialog, "comboBits")->currentIndex(), 2);
            QCOMPARE(Combo(dialog, "comboAlgorithmus")->currentText(), QStringLiteral("TEA"));
            QVERIFY(!Check(dialog, "checkCompress")->isChecked());
            QCOMPARE(Combo(dialog, "comboLanguage")->currentIndex(), -1);
            QCOMPARE(dialog.Record().Language, uint8_t{7});  // no language selected keeps the stored one
            dialog.show();
            Check(dialog, "checkEndMsg")->setChecked(false);
            Click(dialog, "cmdCancel");
            QCOMPARE(ReadIniValue(ini, "Settings", "ShowEndMessage", "unset"), std::string("unset"));
            QCOMPARE(stored.ShowEndMessage, int16_t{1});
        }
        {
            frmOpt dialog(w.session, w.window->commands(), w.host);
            dialog.show();
            Combo(dialog, "comboBits")->setCurrentIndex(0);
            Click(dialog, "cmdSave");
            QVERIFY(dialog.isVisible());  // Save keeps the dialog open
            QCOMPARE(ReadIniValue(ini, "Settings", "BitPerByte", ""), std::string("0"));
            QCOMPARE(w.session.bitsPerByte, 1);
            Combo(dialog, "comboBits")->setCurrentIndex(1);
            Click(dialog, "cmdCancel");  // Save then Cancel keeps what was saved
            QCOMPARE(ReadIniValue(ini, "Settings", "BitPerByte", ""), std::string("0"));
        }
        frmOpt dialog(w.session, w.window->commands(), w.host);
        QCOMPARE(Combo(dialog, "comboBits")->currentIndex(), 0);  // not the cancelled visit
        dialog.show();
        Check(dialog, "checkSendDelete")->setChecked(false);
        Click(dialog, "cmdOk");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(ReadIniValue(ini, "Settings", "SendDelete", ""), std::string("0"));
        QVERIFY(w.host.messages.empty());
    }

    // OK from the window re-captions it, measures the carrier again and updates the status panels.
    void optionsOkAppliesToTheWindow() {
        Window w(kDe);
        frmSteg& window = *w.window;
        window.Start();
        MakeBitmap(w.dir.File("carrier.bmp"), 64, 48, 24, false, 1);
        QVERIFY(window.commands().LoadCarrier(w.dir.File("carrier.bmp")));
        const QString freeBefore = TextOf(window, "txtOFree");
        auto panels = [&window] {
            return QStringList{window.statusBar().Text(1), window.statusBar().Text(2), window.statusBar().Text(3)};
        };
        QCOMPARE(panels(),
                 QStringList({" " + Tr(kDe, 302) + " ", " " + Tr(kDe, 303) + " RC4 ", " 2 " + Tr(kDe, 304) + " "}));
        QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), QStringLiteral("&Datei"));
        w.host.onDialog = [](QDialog& dialog) {
            Combo(dialog, "comboLanguage")->setCurrentIndex(1);
            Combo(dialog, "comboBits")->setCurrentIndex(2);
            Combo(dialog, "comboAlgorithmus")->setCurrentIndex(4);
            Check(dialog, "checkCompress")->setChecked(false);
            Click(dialog, "cmdOk");
            return dialog.result();
        };
        Click(window, "cmdOptions");
        QCOMPARE(w.session.languageBase, kEn);
        QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), QStringLiteral("&File"));
        QCOMPARE(Find<QLabel>(window, "lblProcess")->text(), Tr(kEn, 210));
        QCOMPARE(window.statusBar().Text(0), " " + Tr(kEn, 301));
        QCOMPARE(panels(), QStringList({" ", " " + Tr(kEn, 303) + " Twofish ", " 4 " + Tr(kEn, 304) + " "}));
        QVERIFY(TextOf(window, "txtOFree") != freeBefore);
        QCOMPARE(ReadIniValue(w.session.iniPath, "Settings", "BitPerByte", ""), std::string("2"));
        w.host.onDialog = [](QDialog& dialog) {  // Cancel after a changed list keeps the language
            Combo(dialog, "comboLanguage")->setCurrentIndex(0);
            Click(dialog, "cmdCancel");
            return dialog.result();
        };
        Click(window, "cmdOptions");
        QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), QStringLiteral("&File"));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
