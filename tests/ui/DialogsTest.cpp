// The passphrase dialogs' rules, the options dialog's Cancel and OK.
#include "UiTestSupport.h"
#include "config/TextId.h"
#include "ui/frmGetPw.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

static QComboBox* Combo(QObject& dialog, const char* name) { return Find<QComboBox>(dialog, name); }
static QCheckBox* Check(QObject& dialog, const char* name) { return Find<QCheckBox>(dialog, name); }
static void Choose(QObject& dialog, const char* name) { Find<QRadioButton>(dialog, name)->click(); }

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    // Both dialogs: too short (blanks do not count) warns and keeps the text; Enter moves on, then
    // accepts exactly what was typed; Cancel and the close box give nothing; entries must match.
    void passphraseRules() {
        ScriptedHost host;
        frmSetPw set(kEn, host);
        frmGetPw get(kEn, host);
        const std::pair<PassphraseDialog*, std::vector<const char*>> table[] = {{&set, {"txtPw1", "txtPw2"}},
                                                                                {&get, {"txtPw"}}};
        for (const auto& [dialog, fields] : table) {
            const auto enter = [&, &fields = fields, dialog = dialog](const QString& text, Qt::Key key) {
                for (std::size_t i = 0; i < fields.size(); ++i) {
                    Find<QLineEdit>(*dialog, fields[i])->clear();
                    Type(*dialog, fields[i], text);
                    QTest::keyClick(Find(*dialog, fields[i]), key);
                    if (i + 1 < fields.size()) QCOMPARE(QApplication::focusWidget(), Find(*dialog, fields[i + 1]));
                }
            };
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            dialog->activateWindow();
            host.messages.clear();
            enter(" ab ", Qt::Key_Return);
            QCOMPARE(host.messages.size(), std::size_t{1});
            QCOMPARE(host.messages[0].text,
                     Tr(kEn, TextId::PassphraseTooShortText) + "\n" + Tr(kEn, TextId::PassphraseTooShortHint));
            QCOMPARE(host.messages[0].title, Tr(kEn, TextId::InvalidPassphraseTitle));
            QCOMPARE(host.messages[0].icon, QMessageBox::Warning);
            QVERIFY(dialog->isVisible());
            QCOMPARE(TextOf(*dialog, fields[0]), QStringLiteral(" ab "));
            enter("a b ", Qt::Key_Enter);
            QVERIFY(!dialog->isVisible());
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
            QCOMPARE(dialog->TakePassphrase(), std::optional<std::string>("a b "));
            QVERIFY(!dialog->TakePassphrase().has_value());  // the dialog forgets it
            QVERIFY(TextOf(*dialog, fields[0]).isEmpty());
            dialog->show();
            Type(*dialog, fields[0], "secret");
            dialog == &get ? void(dialog->close()) : Click(*dialog, "cmdCancel");
            QVERIFY(!dialog->TakePassphrase().has_value());
            QVERIFY(TextOf(*dialog, fields[0]).isEmpty());
        }
        set.show();
        Find<QLineEdit>(set, "txtPw1")->setText("a b ");
        Find<QLineEdit>(set, "txtPw2")->setText("a b");
        Click(set, "cmdOk");
        QCOMPARE(host.messages.back().text,
                 Tr(kEn, TextId::PassphrasesDifferText) + "\n" + Tr(kEn, TextId::PassphrasesDifferHint));
        QVERIFY(set.isVisible());
        QVERIFY(!set.TakePassphrase().has_value());
    }

    // From the German window over hand-edited settings (language 7 selects no entry and is
    // kept): Cancel stores nothing; OK stores, re-captions the window in English, measures the
    // carrier again and updates the status panels.
    void optionsCancelAndOkSwitchingLanguage() {
        Window w(kDe);
        frmSteg& window = *w.window;
        QVERIFY(window.commands().LoadCarrier(w.carrier.toStdString()));
        const QString freeBefore = TextOf(window, "txtOFree");
        QCOMPARE(window.statusBar().Text(2), " " + Tr(kDe, TextId::EncryptionPanel) + " RC4 ");
        SettingsRecord& stored = w.session.settings;
        stored.bitsPerByte = 4, stored.Algorithmus = CipherIndex::TEA, stored.Compression = false, stored.Language = 7;
        QStringList seen;          // a dialog's bits, cipher, compress, language, record language; after it
                                   // BitPerByte, ShowEndMessage, SendDelete, KeepOriginal in the file and the
                                   // session's bits
        QStringList keepOriginal;  // the box's state and whether its caption is German
        w.host.onDialog = [&](QDialog& d) {
            d.show();
            seen << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(Combo(d, "comboBits")->currentIndex())
                        .arg(Combo(d, "comboAlgorithmus")->currentText())
                        .arg(Check(d, "checkCompress")->isChecked())
                        .arg(Combo(d, "comboLanguage")->currentIndex())
                        .arg(static_cast<frmOpt&>(d).Record().Language);
            const bool ok = seen.size() > 1;
            Combo(d, "comboBits")->setCurrentIndex(ok ? 2 : 0);
            Check(d, ok ? "checkSendDelete" : "checkEndMsg")->setChecked(false);
            if (ok) Combo(d, "comboLanguage")->setCurrentIndex(1), Combo(d, "comboAlgorithmus")->setCurrentIndex(4);
            // Off by default and captioned; once checked and saved, hides keep their carrier.
            keepOriginal << QStringLiteral("%1 %2")
                                .arg(Check(d, "checkKeepOriginal")->isChecked())
                                .arg(Check(d, "checkKeepOriginal")->text() == Tr(kDe, TextId::KeepOriginalOption));
            if (ok) Check(d, "checkKeepOriginal")->setChecked(true);
            Click(d, ok ? "cmdOk" : "cmdCancel");
            QString line;
            for (const char* key : {"BitPerByte", "ShowEndMessage", "SendDelete", "KeepOriginal"})
                line += QString::fromStdString(ReadIniValue(w.session.iniPath, "Settings", key, "-")) + " ";
            seen << line + QStringLiteral("%1 %2").arg(w.session.settings.bitsPerByte).arg(d.isVisible());
            return d.result();
        };
        for (int visit = 0; visit < 2; ++visit) Click(window, "cmdOptions");
        QCOMPARE(seen, QStringList({"2 TEA 0 -1 7", "- - - - 4 0", "2 TEA 0 -1 7", "2 1 0 1 4 0"}));
        QCOMPARE(keepOriginal, QStringList({"0 1", "0 1"}));
        QVERIFY(w.session.settings.KeepOriginal);
        QCOMPARE(w.session.languageBase, kEn);
        QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), QStringLiteral("&File"));
        QCOMPARE(Find<QLabel>(window, "lblProcess")->text(), Tr(kEn, TextId::ProcessStatusLabel));
        QCOMPARE(window.statusBar().Text(0), " " + Tr(kEn, TextId::ReadyStatus));
        QCOMPARE(QStringList({window.statusBar().Text(1), window.statusBar().Text(2), window.statusBar().Text(3)}),
                 QStringList({" ", " " + Tr(kEn, TextId::EncryptionPanel) + " Twofish ",
                              " 4 " + Tr(kEn, TextId::BitsPerByteUnit) + " "}));
        QVERIFY(TextOf(window, "txtOFree") != freeBefore);
        QVERIFY(w.host.messages.empty());
    }
    // The stealth method shows its fixed cipher, locked; the classic choice made before is what
    // the file keeps beside the method and what the classic method shows again.
    void optionsHidingMethodLocksTheCipher() {
        Window w;
        w.session.settings.Algorithmus = CipherIndex::TEA, w.session.settings.Encryption = false;
        QStringList seen;
        const auto state = [&](QDialog& d) {
            return QStringLiteral("%1 %2 %3 %4 %5")
                .arg(Combo(d, "comboAlgorithmus")->currentText())
                .arg(Combo(d, "comboAlgorithmus")->isEnabled())
                .arg(Check(d, "checkEncrypt")->isChecked())
                .arg(Check(d, "checkEncrypt")->isEnabled())
                .arg(Find<QRadioButton>(d, "optStealth")->isChecked() ? "stealth" : "classic");
        };
        const auto stored = [&] {
            QString line;
            for (const char* key : {"Method", "Algorithmus", "Encryption"})
                line += QString::fromStdString(ReadIniValue(w.session.iniPath, "Settings", key, "-")) + " ";
            return line;
        };
        w.host.onDialog = [&](QDialog& d) {
            d.show();
            seen << state(d);
            Choose(d, "optStealth");
            seen << state(d);
            Click(d, "cmdSave");
            seen << stored();
            Choose(d, "optClassic");
            seen << state(d);
            Choose(d, "optStealth");
            Click(d, "cmdOk");
            return d.result();
        };
        Click(*w.window, "cmdOptions");
        w.host.onDialog = [&](QDialog& d) {
            d.show();
            seen << state(d) << Find<QLabel>(d, "lblStealthInfo")->text();
            Click(d, "cmdCancel");
            return d.result();
        };
        Click(*w.window, "cmdOptions");
        QCOMPARE(seen,
                 QStringList({"TEA 1 0 1 classic", "XChaCha20-Poly1305 0 1 0 stealth", "1 3 0 ", "TEA 1 0 1 classic",
                              "XChaCha20-Poly1305 0 1 0 stealth", Tr(kEn, TextId::StealthMethodExplanation)}));
        QVERIFY(w.session.settings.Method == HidingMethod::Stealth);
        // The status bar names what a hide will use: the method's cipher, and the method for the bits.
        QCOMPARE(QStringList({w.window->statusBar().Text(2), w.window->statusBar().Text(3)}),
                 QStringList({" " + Tr(kEn, TextId::EncryptionPanel) + " XChaCha20-Poly1305 ", " Stealth "}));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
