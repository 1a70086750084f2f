// The passphrase dialogs' rules and rating, the options dialog's Save/OK/Cancel and language
// switch, and the about box's link.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/StatusPanels.h"
#include "ui/WindowFont.h"
#include "ui/frmGetPw.h"
#include "ui/frmInfo.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"
#include "ui/frmSteg.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {

constexpr int kEn = kLanguageBaseEnglish;

QLineEdit* Field(QWidget& dialog, const char* name) { return dialog.findChild<QLineEdit*>(name); }
void Click(QWidget& dialog, const char* name) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
}
void Type(QWidget& dialog, const char* field, const QString& text) {
    Field(dialog, field)->setFocus();
    QTest::keyClicks(Field(dialog, field), text);
}

// Types the text into the first field of a fresh frmSetPw and returns the bar's value.
int Rating(const QString& text) {
    ScriptedHost host;
    frmSetPw dialog(kEn, host);
    Type(dialog, "txtPw1", text);
    return dialog.QualityShown();
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    void setPassphraseRefusesShortAndDifferentEntries() {
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
        QCOMPARE(Field(dialog, "txtPw1")->text(), QStringLiteral(" ab "));  // contents kept

        Field(dialog, "txtPw1")->setText("a b ");
        Field(dialog, "txtPw2")->setText("a b");  // the trailing blank is part of the passphrase
        Click(dialog, "cmdOk");
        QCOMPARE(host.messages.back().text, Tr(kEn, 450) + "\n" + Tr(kEn, 451));
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.TakePassphrase().has_value());

        Field(dialog, "txtPw2")->setText("a b ");
        Click(dialog, "cmdOk");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.TakePassphrase(), std::optional<std::string>("a b "));
        QVERIFY(Field(dialog, "txtPw1")->text().isEmpty());  // nothing lingers in the fields
        QVERIFY(Field(dialog, "txtPw2")->text().isEmpty());
    }

    void cancelAndCloseBoxGiveNoPassphrase() {
        ScriptedHost host;
        frmSetPw set(kEn, host);
        set.show();
        Type(set, "txtPw1", "secret");
        Type(set, "txtPw2", "secret");
        Click(set, "cmdCancel");
        QVERIFY(!set.TakePassphrase().has_value());
        QVERIFY(Field(set, "txtPw1")->text().isEmpty());

        frmGetPw get(kEn, host);
        get.show();
        Type(get, "txtPw", "secret");
        get.close();
        QVERIFY(!get.TakePassphrase().has_value());
        QVERIFY(host.messages.empty());
    }

    void qualityRating() {
        QCOMPARE(Rating("abc"), 6);
        QCOMPARE(Rating("aBc1"), 96);
        QCOMPARE(Rating("aBc1!"), frmSetPw::kQualityMaximum);  // 600 fills the bar
        QCOMPARE(Rating(QString::fromUtf8("ßßß")), 3);
        QCOMPARE(Rating("a b"), 3 * 2 * 5);  // a blank counts as a special character
    }

    void onlyKeyReleasesInTheFirstFieldRate() {
        ScriptedHost host;
        frmSetPw dialog(kEn, host);
        Type(dialog, "txtPw2", "aBc1!");
        QCOMPARE(dialog.QualityShown(), 0);
        Field(dialog, "txtPw1")->setText("aBc1!");
        QCOMPARE(dialog.QualityShown(), 0);
        QTest::keyClick(Field(dialog, "txtPw1"), Qt::Key_End);
        QCOMPARE(dialog.QualityShown(), frmSetPw::kQualityMaximum);
        QCOMPARE(dialog.findChild<QProgressBar*>()->maximum(), frmSetPw::kQualityMaximum);
    }

    void enterKeyRules() {
        ScriptedHost host;
        frmSetPw set(kEn, host);
        set.show();
        QVERIFY(QTest::qWaitForWindowExposed(&set));
        set.activateWindow();
        Type(set, "txtPw1", "secret");
        QTest::keyClick(Field(set, "txtPw1"), Qt::Key_Return);
        QVERIFY(set.isVisible());  // Enter in the first field only moves on
        QCOMPARE(QApplication::focusWidget(), Field(set, "txtPw2"));
        QTest::keyClicks(Field(set, "txtPw2"), "secret");
        QTest::keyClick(Field(set, "txtPw2"), Qt::Key_Enter);
        QVERIFY(!set.isVisible());
        QCOMPARE(set.TakePassphrase(), std::optional<std::string>("secret"));

        frmGetPw get(kEn, host);
        get.show();
        Type(get, "txtPw", "xy");
        QTest::keyClick(Field(get, "txtPw"), Qt::Key_Return);
        QCOMPARE(host.messages.back().title, Tr(kEn, 447));  // too short, the dialog stays
        QVERIFY(get.isVisible());
        QTest::keyClicks(Field(get, "txtPw"), "z");
        QTest::keyClick(Field(get, "txtPw"), Qt::Key_Return);
        QVERIFY(!get.isVisible());
        QCOMPARE(get.TakePassphrase(), std::optional<std::string>("xyz"));
    }

    void optionsShowTheStoredValues() {
        TempSession temp(kEn);
        temp.session.settings.BitPerByte = 2;
        temp.session.settings.Algorithmus = 3;
        temp.session.settings.Compression = 0;
        temp.session.settings.Language = 7;  // only a hand-edited file holds this
        ScriptedHost host;
        RecordingDesktop desktop;
        frmSteg window(temp.session, desktop, host);
        frmOpt dialog(temp.session, window.commands(), host);
        auto* bits = dialog.findChild<QComboBox*>("comboBits");
        QCOMPARE(bits->currentIndex(), 2);
        QCOMPARE(bits->currentText(), "4 " + Tr(kEn, 304));
        auto* ciphers = dialog.findChild<QComboBox*>("comboAlgorithmus");
        QCOMPARE(ciphers->currentText(), QStringLiteral("TEA"));
        QCOMPARE(ciphers->itemText(0), QStringLiteral("Blowfish"));
        QVERIFY(!dialog.findChild<QCheckBox*>("checkCompress")->isChecked());
        auto* languages = dialog.findChild<QComboBox*>("comboLanguage");
        QCOMPARE(languages->currentIndex(), -1);
        QCOMPARE(languages->itemText(3), QString::fromUtf8("Français"));
        // Saving with no language selected keeps the stored value.
        QCOMPARE(dialog.Record().Language, uint8_t{7});
        QCOMPARE(dialog.Record().BitPerByte, uint8_t{2});
        dialog.Unload();
    }

    void optionsSaveOkAndCancel() {
        TempSession temp(kEn);
        ScriptedHost host;
        RecordingDesktop desktop;
        frmSteg window(temp.session, desktop, host);
        const std::string& ini = temp.session.iniPath;
        {
            frmOpt dialog(temp.session, window.commands(), host);
            dialog.show();
            dialog.findChild<QCheckBox*>("checkEndMsg")->setChecked(false);
            Click(dialog, "cmdCancel");
            QCOMPARE(ReadIniValue(ini, "Settings", "ShowEndMessage", "unset"), std::string("unset"));
            QCOMPARE(temp.session.settings.ShowEndMessage, int16_t{1});
        }
        {
            frmOpt dialog(temp.session, window.commands(), host);
            dialog.show();
            dialog.findChild<QComboBox*>("comboBits")->setCurrentIndex(0);
            Click(dialog, "cmdSave");
            QVERIFY(dialog.isVisible());  // Save keeps the dialog open
            QCOMPARE(ReadIniValue(ini, "Settings", "BitPerByte", ""), std::string("0"));
            QCOMPARE(temp.session.bitsPerByte, 1);
            dialog.findChild<QComboBox*>("comboBits")->setCurrentIndex(1);
            Click(dialog, "cmdCancel");  // Save then Cancel keeps what was saved
            QCOMPARE(ReadIniValue(ini, "Settings", "BitPerByte", ""), std::string("0"));
        }
        {
            frmOpt dialog(temp.session, window.commands(), host);
            QCOMPARE(dialog.findChild<QComboBox*>("comboBits")->currentIndex(), 0);  // not the cancelled visit
            dialog.show();
            dialog.findChild<QCheckBox*>("checkSendDelete")->setChecked(false);
            Click(dialog, "cmdOk");
            QVERIFY(!dialog.isVisible());
            QCOMPARE(ReadIniValue(ini, "Settings", "SendDelete", ""), std::string("0"));
        }
        QVERIFY(host.messages.empty());
    }

    void languageSwitchRecaptionsTheMainWindow() {
        TempSession temp(kLanguageBaseGerman);
        ScriptedHost host;
        RecordingDesktop desktop;
        frmSteg window(temp.session, desktop, host);
        window.Start();
        QCOMPARE(window.findChild<QMenu*>("mnuDatei")->title(), QStringLiteral("&Datei"));
        host.onDialog = [](QDialog& dialog) {
            dialog.findChild<QComboBox*>("comboLanguage")->setCurrentIndex(1);
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
            return dialog.result();
        };
        QTest::mouseClick(window.findChild<QPushButton*>("cmdOptions"), Qt::LeftButton);
        QCOMPARE(temp.session.languageBase, kEn);
        QCOMPARE(window.findChild<QMenu*>("mnuDatei")->title(), QStringLiteral("&File"));
        QCOMPARE(window.findChild<QLabel*>("lblProcess")->text(), Tr(kEn, 210));
        QCOMPARE(window.statusBar().Text(0), " " + Tr(kEn, 301));

        // Cancel after a changed list re-applies the unchanged language.
        host.onDialog = [](QDialog& dialog) {
            dialog.findChild<QComboBox*>("comboLanguage")->setCurrentIndex(0);
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
            return dialog.result();
        };
        QTest::mouseClick(window.findChild<QPushButton*>("cmdOptions"), Qt::LeftButton);
        QCOMPARE(window.findChild<QMenu*>("mnuDatei")->title(), QStringLiteral("&File"));
    }

    void aboutLinkOpensTheHomePage() {
        ScriptedHost host;
        RecordingDesktop desktop;
        frmInfo about(kEn, desktop, host);
        about.show();
        QTest::mouseClick(about.findChild<QLabel*>("lblLink"), Qt::LeftButton);
        QCOMPARE(desktop.opened, std::vector<std::string>({TARNWERK_HOME_PAGE}));
        QVERIFY(host.messages.empty());

        desktop.succeed = false;
        QTest::mouseClick(about.findChild<QLabel*>("lblLink"), Qt::LeftButton);
        QCOMPARE(host.messages.size(), std::size_t{1});
        QCOMPARE(host.messages[0].text, Tr(kEn, 448));
        QCOMPARE(host.messages[0].title, Tr(kEn, 449));
        QCOMPARE(host.messages[0].icon, QMessageBox::Critical);
        QVERIFY(about.isVisible());
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
