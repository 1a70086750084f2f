// The main window as a new user meets it: where the focus goes after a command, which answer
// Enter gives to a question that would replace a file, where the output of an extraction goes,
// the language of a first start, the texts after a language switch, and a window that grows.
#include <cstdlib>

#include "UiTestSupport.h"
#include "config/TextId.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {

// Loads the fixture's carrier and data file through drops, without encryption or reset.
void PrepareHide(Window& w) {
    w.session.settings.Encryption = false;
    w.session.settings.ResetOnEnd = false;
    w.Drop("Image2", {w.carrier});
    w.Drop("Image1", {w.data});
}

QWidget* FocusOf(frmSteg& window) { return window.focusWidget(); }

}  // namespace

class WindowUseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    // After a hide, an extract and a reset the focus sits on the next sensible control, never on
    // Exit, and its frame shows (the focus came as by keyboard).
    void focusAfterACommandIsNeverExit() {
        Window w;
        frmSteg& win = *w.window;
        PrepareHide(w);
        win.show();
        QVERIFY(QTest::qWaitForWindowActive(&win));
        Find(win, "cmdHide")->setFocus(Qt::MouseFocusReason);
        Click(win, "cmdHide");
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        QCOMPARE(FocusOf(win), Find(win, "cmdHide"));
        QVERIFY(win.testAttribute(Qt::WA_KeyboardFocusChange));

        Click(win, "cmdExtract");  // the save dialog is cancelled
        QVERIFY(FocusOf(win) != Find(win, "cmdClose"));
        Click(win, "cmdReset");
        QCOMPARE(FocusOf(win), Find(win, "cmdOrigSel"));  // nothing loaded: choose a carrier first
    }

    // The scene from the field: the data field still names the user's input file. Extract asks
    // for its output in a save dialog proposing the stored extension beside the carrier; when
    // the user points it at an existing file, the question defaults to No, and Enter keeps the file.
    void extractionAsksWhereToAndEnterKeepsAnExistingFile() {
        Window w;
        frmSteg& win = *w.window;
        PrepareHide(w);
        Click(win, "cmdHide");
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        const QString input = TextOf(win, "txtDataFile");
        QCOMPARE(input, w.data);

        w.host.saveAnswers = {w.data};
        w.host.boxAnswers = {QMessageBox::No};  // Enter: the default button
        Click(win, "cmdExtract");
        QCOMPARE(w.host.saves.size(), std::size_t{1});
        QCOMPARE(w.host.saves[0].title, Tr(kEn, TextId::ExtractOutputTitle));
        QCOMPARE(w.host.saves[0].proposed, w.Path("carrier.txt"));
        QCOMPARE(w.host.saves[0].filters.first(), Tr(kEn, TextId::OriginalExtensionFilter) + " (*.txt)");
        QCOMPARE(w.host.messages.back().text,
                 Tr(kEn, TextId::FileExistsText) + "\n" + Tr(kEn, TextId::OverwriteQuestion));
        QCOMPARE(w.host.defaultButtons.back(), QMessageBox::No);
        QCOMPARE(ReadFile(w.data.toStdString()), Bytes(264, 'm'));

        w.host.saveAnswers = {w.Path("out")};  // a name without the stored extension gets it
        Click(win, "cmdExtract");
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::ExtractedText));
        QCOMPARE(ReadFile(w.Path("out.txt").toStdString()), Bytes(264, 'm'));
        QCOMPARE(w.host.fileRequests, std::size_t{2});  // no open dialog on the way

        Find<QAction>(win, "mnuDateiExportData")->trigger();
        Settle(win);
        QCOMPARE(w.host.saves.back().title, Tr(kEn, TextId::ExportOutputTitle));
    }

    // A stored extension that would lead the output into another folder is not offered.
    void aHostileStoredExtensionIsNotProposed() {
        Window w;
        frmSteg& win = *w.window;
        PrepareHide(w);
        w.session.dataExtension = "/../ab";  // as a crafted carrier could hold it
        Click(win, "cmdHide");
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        w.host.saveAnswers = {w.Path("out")};
        Click(win, "cmdExtract");
        QCOMPARE(w.host.saves.at(0).proposed, w.Path("carrier"));
        QCOMPARE(w.host.saves.at(0).filters, QStringList{Tr(kEn, TextId::AllFilesFilter) + " (*.*)"});
        QCOMPARE(ReadFile(w.Path("out").toStdString()), Bytes(264, 'm'));
    }

    // Every Yes/No question of the program replaces a file: No is its default button.
    void everyYesNoQuestionDefaultsToNo() {
        Message question{"x", MessageIcon::Question, MessageButtons::YesNo, "t"};
        std::unique_ptr<QMessageBox> box = MakeMessageBox(nullptr, question);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        QCOMPARE(box->escapeButton(), box->button(QMessageBox::No));
    }

    // Open dialogs start in the user's home, then in the folder of the file chosen last.
    void fileDialogsOpenInTheFolderUsedLast() {
        Window w;
        frmSteg& win = *w.window;
        QDir(w.dir.path().c_str()).mkdir("pictures");
        const QString carrier = w.Path("pictures/beach.bmp");
        MakeBitmap(carrier.toStdString(), 32, 32, 24, false, 5);
        w.host.openAnswers = {carrier};
        Click(win, "cmdOrigSel");
        Click(win, "cmdDataSel");
        QCOMPARE(w.host.openFolders, std::vector<QString>({QDir::homePath(), w.Path("pictures")}));
    }

    // Without a settings file the window speaks the desktop's language; a file without the key
    // keeps German.
    void firstStartSpeaksTheDesktopsLanguage() {
        TempDir dir;
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_MESSAGES");
        const struct {
            const char* lang;
            bool settingsFile;
            int expected;
        } rows[] = {{"nl_NL.UTF-8", false, kLanguageBaseDutch},
                    {"fr_FR.UTF-8", false, kLanguageBaseFrench},
                    {"ja_JP.UTF-8", false, kLanguageBaseEnglish},
                    {"nl_NL.UTF-8", true, kLanguageBaseGerman}};
        for (const auto& row : rows) {
            ::setenv("LANG", row.lang, 1);
            const std::string ini = dir.File(row.settingsFile ? "tarnwerk.ini" : "missing.ini");
            if (row.settingsFile) Put(ini, "[Global]\nTop=0\n");
            const StartupSettings startup = LoadSettings(ini, 15360, 11520);
            Session session;
            session.languageBase = startup.languageBase;
            session.settings = startup.settings;
            session.carrierFilter = startup.carrierFilter;
            ScriptedHost host;
            FakeDesktop desktop;
            frmSteg window(session, desktop, host);
            window.Start();
            QCOMPARE(Find<QMenu>(window, "mnuDatei")->title(), Tr(row.expected, TextId::FileMenu));
            QCOMPARE(Find<QPushButton>(window, "cmdHide")->text(), Tr(row.expected, TextId::HideButton));
        }
        ::unsetenv("LANG");
    }

    // A language switch changes the size texts of the data group and the file dialog's filter
    // texts at once.
    void languageSwitchRewritesSizesAndFilters() {
        Window w;
        frmSteg& win = *w.window;
        w.Drop("Image1", {w.data});
        QCOMPARE(TextOf(win, "txtDOrigSize"), QStringLiteral("264 bytes"));
        w.host.onDialog = [](QDialog& dialog) {
            Find<QComboBox>(dialog, "comboLanguage")->setCurrentIndex(0);
            Click(dialog, "cmdOk");
            return dialog.result();
        };
        Click(win, "cmdOptions");
        QCOMPARE(TextOf(win, "txtDOrigSize"), QStringLiteral("264 Byte"));
        QCOMPARE(QString::fromStdString(w.session.carrierFilter.front().description),
                 QStringLiteral("Bitmap-Bildformat (*.bmp;*.dib)"));
        QCOMPARE(Find<QPushButton>(win, "cmdHide")->text(), QStringLiteral("Verbergen"));
    }

    // In every language: each label's text ends clear of the field beside it, the cipher panel
    // shows its whole text, and the window keeps its designed size as its minimum and may grow,
    // the path fields stretching with it.
    void labelsAndPanelsFitAndTheWindowGrows() {
        for (int base : {kDe, kEn, kLanguageBaseDutch, kLanguageBaseFrench}) {
            const QString where = QStringLiteral(" in language %1").arg(base);
            Window w(base);
            w.session.settings.Algorithmus = CipherIndex::XChaCha20;
            frmSteg& win = *w.window;
            win.Start();
            const std::pair<const char*, const char*> pairs[] = {
                {"lblCarrierType", "txtOTyp"},       {"lblCarrierSize", "txtOSize"}, {"lblCarrierFree", "txtOFree"},
                {"lblDataOrigSize", "txtDOrigSize"}, {"lblDataSize", "txtDSize"},    {"lblProcess", "picProgBarSize"}};
            for (const auto& [labelName, fieldName] : pairs) {
                auto* label = Find<QLabel>(win, labelName);
                const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
                QVERIFY2(Find(win, fieldName)->x() >= textEnd + 4, qPrintable(labelName + where));
            }
            auto* cipherPanel = Find<QLabel>(win, "sbPanel2");
            QVERIFY2(cipherPanel->text().contains("XChaCha20-Poly1305"), qPrintable(cipherPanel->text()));
            QVERIFY2(cipherPanel->contentsRect().width() >=
                         cipherPanel->fontMetrics().horizontalAdvance(cipherPanel->text()),
                     qPrintable(where));
        }
        Window w;
        frmSteg& win = *w.window;
        win.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win));
        const QSize designed = win.size();
        QCOMPARE(win.minimumSize(), designed);
        QVERIFY(win.maximumWidth() > designed.width());
        const int fieldWidth = Find(win, "txtOrigFile")->width();
        const int buttonRight = Find(win, "cmdOrigSel")->geometry().right();
        win.resize(designed.width() + 100, designed.height() + 30);
        QTRY_COMPARE(Find(win, "txtOrigFile")->width(), fieldWidth + 100);
        QCOMPARE(Find(win, "txtDataFile")->width(), fieldWidth + 100);
        QCOMPARE(Find(win, "cmdOrigSel")->geometry().right(), buttonRight + 100);
        QCOMPARE(Find(win, "StatusBar")->geometry().bottom(), Find(win, "Client")->height() - 1);
    }
    // With the stealth method the carrier group shows the recommended and the maximum room under
    // a caption that fits in every language; an extract finds no marker and asks for the
    // passphrase with the prompt, gives the one answer for a wrong one and then extracts.
    void stealthShowsItsRoomAndExtractAsksWithThePrompt() {
        for (int base : {kDe, kEn, kLanguageBaseDutch, kLanguageBaseFrench}) {
            Window w(base);
            w.session.settings.Method = HidingMethod::Stealth;
            MakeBitmap(w.carrier.toStdString(), 200, 150, 24, false, 5);
            w.Drop("Image2", {w.carrier});
            auto* label = Find<QLabel>(*w.window, "lblCarrierFree");
            QCOMPARE(label->text(), Tr(base, TextId::StealthRecommendedRoomLabel));
            QVERIFY(TextOf(*w.window, "txtOFree").contains(Tr(base, TextId::StealthMaximumRoomLabel)));
            const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
            QVERIFY2(Find(*w.window, "txtOFree")->x() >= textEnd + 4, qPrintable(QString::number(base)));
        }
        Window w;
        w.session.settings.Method = HidingMethod::Stealth;
        w.session.settings.ResetOnEnd = false;
        MakeBitmap(w.carrier.toStdString(), 200, 150, 24, false, 5);
        w.Drop("Image2", {w.carrier});
        w.Drop("Image1", {w.data});
        QStringList prompts;
        std::deque<QString> typed = {"Tarnkappe 7", "Tarnkappe 8", "Tarnkappe 7"};
        w.host.onDialog = [&](QDialog& d) {
            const bool twice = d.objectName() == QStringLiteral("frmSetPw");
            auto* prompt = Find<QLabel>(d, "lblPrompt");
            if (!twice) prompts << (prompt->isHidden() ? QString() : prompt->text());
            for (const char* field : {"txtPw1", "txtPw2", "txtPw"})
                if (Find(d, field) != nullptr) QTest::keyClicks(Find(d, field), typed.front());
            typed.pop_front();
            Click(d, "cmdOk");
            return d.result();
        };
        Click(*w.window, "cmdHide");
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        const QString output = w.Path("out.txt");
        w.host.saveAnswers = {output};
        w.host.boxAnswers = {QMessageBox::Retry};
        w.host.messages.clear();
        Click(*w.window, "cmdExtract");
        QCOMPARE(prompts, QStringList(2, Tr(kEn, TextId::StealthPassphrasePrompt)));
        QCOMPARE(w.host.messages.size(), std::size_t{2});
        QCOMPARE(w.host.messages[0].text,
                 Tr(kEn, TextId::NothingFoundCause) + "\n" + Tr(kEn, TextId::RetryPassphraseText));
        QCOMPARE(w.host.messages[1].text, Tr(kEn, TextId::ExtractedText));
        QCOMPARE(ReadFile(output.toStdString()), ReadFile(w.data.toStdString()));
    }
};

QTEST_MAIN(WindowUseTest)
#include "WindowUseTest.moc"
