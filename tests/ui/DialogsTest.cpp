// The passphrase dialogs' rules and rating, the options dialog's Cancel, Save and OK.
#include "UiTestSupport.h"
#include "ui/frmGetPw.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {

QComboBox* Combo(QObject& dialog, const char* name) { return Find<QComboBox>(dialog, name); }
QCheckBox* Check(QObject& dialog, const char* name) { return Find<QCheckBox>(dialog, name); }

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    // Both passphrase dialogs: too short (blanks do not count) warns and keeps the dialog open
    // with its text; Enter moves on, then accepts exactly what was typed and clears the fields;
    // Cancel and the close box give nothing. The two entries must match, trailing blank included.
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
            QCOMPARE(host.messages[0].text, Tr(kEn, 445) + "\n" + Tr(kEn, 446));
            QCOMPARE(host.messages[0].title, Tr(kEn, 447));
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
        QCOMPARE(host.messages.back().text, Tr(kEn, 450) + "\n" + Tr(kEn, 451));
        QVERIFY(set.isVisible());
        QVERIFY(!set.TakePassphrase().has_value());
    }

    // Only key releases in the first field rate it (the ratings are the app tests'); the bar
    // stops at its maximum.
    void qualityRating() {
        ScriptedHost host;
        frmSetPw dialog(kEn, host);
        Type(dialog, "txtPw1", "abc");
        QCOMPARE(dialog.QualityShown(), 6);
        Type(dialog, "txtPw2", "1!");
        Find<QLineEdit>(dialog, "txtPw1")->setText("aBc1!");
        QCOMPARE(dialog.QualityShown(), 6);
        QTest::keyClick(Find(dialog, "txtPw1"), Qt::Key_End);
        QCOMPARE(dialog.QualityShown(), frmSetPw::kQualityMaximum);  // 600 of 512
        QCOMPARE(dialog.findChild<QProgressBar*>()->maximum(), frmSetPw::kQualityMaximum);
    }

    // Four visits from the German window over hand-edited settings (language 7 selects no
    // entry and is kept): Cancel stores nothing, Save stores and stays open, OK stores,
    // re-captions the window, measures the carrier again and updates the status panels, and
    // Cancel after a changed language keeps the language.
    void optionsCancelSaveAndOk() {
        Window w(kDe);
        frmSteg& window = *w.window;
        QVERIFY(window.commands().LoadCarrier(w.carrier.toStdString()));
        const QString freeBefore = TextOf(window, "txtOFree");
        QCOMPARE(window.statusBar().Text(2), " " + Tr(kDe, 303) + " RC4 ");
        SettingsRecord& stored = w.session.settings;
        stored.BitPerByte = 2, stored.Algorithmus = 3, stored.Compression = 0, stored.Language = 7;
        // Steps in a dialog until it closes; -1 and nullptr change nothing.
        struct Step {
            int language, bits, cipher;
            const char *uncheck, *button;
        };
        std::deque<Step> steps{{-1, -1, -1, "checkEndMsg", "cmdCancel"}, {-1, 0, -1, nullptr, "cmdSave"},
                               {-1, 1, -1, nullptr, "cmdCancel"},        {1, 2, 4, "checkCompress", nullptr},
                               {-1, -1, -1, "checkSendDelete", "cmdOk"}, {0, -1, -1, nullptr, "cmdCancel"}};
        QStringList seen;  // a dialog's bits, cipher, compress, language, record language; after a step:
                           // BitPerByte, ShowEndMessage, SendDelete in the file, the session's bits, open
        w.host.onDialog = [&](QDialog& d) {
            d.show();
            seen << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(Combo(d, "comboBits")->currentIndex())
                        .arg(Combo(d, "comboAlgorithmus")->currentText())
                        .arg(Check(d, "checkCompress")->isChecked())
                        .arg(Combo(d, "comboLanguage")->currentIndex())
                        .arg(static_cast<frmOpt&>(d).Record().Language);
            while (d.isVisible()) {
                const Step step = steps.front();
                steps.pop_front();
                if (step.language >= 0) Combo(d, "comboLanguage")->setCurrentIndex(step.language);
                if (step.bits >= 0) Combo(d, "comboBits")->setCurrentIndex(step.bits);
                if (step.cipher >= 0) Combo(d, "comboAlgorithmus")->setCurrentIndex(step.cipher);
                if (step.uncheck) Check(d, step.uncheck)->setChecked(false);
                if (step.button) Click(d, step.button);
                QString line;
                for (const char* key : {"BitPerByte", "ShowEndMessage", "SendDelete"})
                    line += QString::fromStdString(ReadIniValue(w.session.iniPath, "Settings", key, "-")) + " ";
                seen << line + QStringLiteral("%1 %2").arg(w.session.bitsPerByte).arg(d.isVisible());
            }
            return d.result();
        };
        for (int visit = 0; visit < 4; ++visit) Click(window, "cmdOptions");
        QCOMPARE(seen, QStringList({"2 TEA 0 -1 7", "- - - 2 0",                  // Cancel
                                    "2 TEA 0 -1 7", "0 1 1 1 1", "0 1 1 1 0",     // Save, Cancel
                                    "0 TEA 0 -1 7", "0 1 1 1 1", "2 1 0 4 0",     // OK
                                    "2 Twofish 0 1 1", "2 1 0 4 0"}));            // Cancel
        QCOMPARE(w.session.languageBase, kEn);
        QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), QStringLiteral("&File"));
        QCOMPARE(Find<QLabel>(window, "lblProcess")->text(), Tr(kEn, 210));
        QCOMPARE(window.statusBar().Text(0), " " + Tr(kEn, 301));
        QCOMPARE(QStringList({window.statusBar().Text(1), window.statusBar().Text(2), window.statusBar().Text(3)}),
                 QStringList({" ", " " + Tr(kEn, 303) + " Twofish ", " 4 " + Tr(kEn, 304) + " "}));
        QVERIFY(TextOf(window, "txtOFree") != freeBefore);
        QVERIFY(w.host.messages.empty());
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
