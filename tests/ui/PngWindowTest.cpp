// PNG pictures in the window: offered by the carrier dialog, taken by a drop, named in the
// type field, shown by the viewer; and a hide that keeps the original picture.
#include "UiTestSupport.h"
#include "support/TestPng.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

class PngWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { UseWindowFont(); }

    // The open dialog lists PNG on its own and within all supported formats.
    void carrierDialogOffersPng() {
        Window w;
        Find<QAction>(*w.window, "mnuDateiCarrierOpen")->trigger();
        Settle(*w.window);
        QCOMPARE(w.host.openFilters.size(), size_t{1});
        const QStringList filters = w.host.openFilters.front();
        QVERIFY2(filters.contains(QStringLiteral("PNG picture (*.png)")), qPrintable(filters.join(u'|')));
        QVERIFY2(filters.contains(QStringLiteral("All supported formats (*.bmp *.dib *.png *.raw)")),
                 qPrintable(filters.join(u'|')));
    }

    // A dropped .png becomes the carrier, with its kind in words; the viewer opens that file.
    void droppedPngIsNamedAndShown() {
        Window w;
        const QString picture = w.Path("holiday.png");
        WriteFile(picture.toStdString(), png::Encode(png::RandomPicture(30, 20, 6, 8, false, 4)));
        w.Drop("Image2", {picture});
        QCOMPARE(TextOf(*w.window, "txtOrigFile"), picture);
        QCOMPARE(TextOf(*w.window, "txtOTyp"),
                 QStringLiteral("PNG picture, 30x20 pixels, 24 bit colors with alpha channel"));
        QVERIFY(w.host.messages.empty());
        Find<QAction>(*w.window, "mnuDateiCarrierView")->trigger();
        Settle(*w.window);
        QCOMPARE(w.desktop.opened, std::vector<std::string>{picture.toStdString()});
    }

    // With the original kept, a hide asks where to save, proposing the first free NAME-N.EXT;
    // the original stays as it was and Send mails the new file until another carrier comes.
    // A cancelled save dialog ends the hide without a word.
    void keepingTheOriginalAsksForANewFileThatSendMails() {
        Window w;
        SettingsRecord& settings = w.session.settings;
        settings.KeepOriginal = true, settings.Encryption = false, settings.ResetOnEnd = false,
        settings.SendCompress = false;
        const QString picture = w.Path("holiday.png"), taken = w.Path("holiday-1.png"),
                      chosen = w.Path("holiday-2.png");
        const Bytes original = png::Encode(png::RandomPicture(60, 40, 2, 8, false, 5));
        WriteFile(picture.toStdString(), original);
        WriteFile(taken.toStdString(), Bytes(3, 't'));
        w.Drop("Image2", {picture});
        w.Drop("Image1", {w.data});

        w.host.saveAnswers = {chosen};
        Click(*w.window, "cmdHide");
        QCOMPARE(w.host.saves.size(), size_t{1});
        QCOMPARE(w.host.saves[0].title, QStringLiteral("Save the result as"));
        QCOMPARE(w.host.saves[0].proposed, chosen);
        QCOMPARE(w.host.saves[0].filters.front(), QStringLiteral("PNG picture (*.png)"));
        QCOMPARE(ReadFile(picture.toStdString()), original);
        QCOMPARE(ReadFile(taken.toStdString()), Bytes(3, 't'));
        QVERIFY(QFileInfo(chosen).size() > 0);
        QCOMPARE(w.host.messages.size(), size_t{1});
        QVERIFY2(w.host.messages[0].text.endsWith(QStringLiteral("The result was saved as:\n") + chosen),
                 qPrintable(w.host.messages[0].text));

        Find<QAction>(*w.window, "mnuDateiCarrierSend")->trigger();
        Settle(*w.window);
        QCOMPARE(w.desktop.mailed, std::vector<std::string>{chosen.toStdString()});

        // Hide-and-send mails what it wrote; the next free number is proposed.
        const QString next = w.Path("holiday-3.png");
        w.host.saveAnswers = {next};
        Find<QAction>(*w.window, "mnuDateiHideAndMail")->trigger();
        Settle(*w.window);
        QCOMPARE(w.host.saves.back().proposed, next);
        QCOMPARE(w.desktop.mailed.back(), next.toStdString());
        QCOMPARE(ReadFile(picture.toStdString()), original);
        const size_t shown = w.host.messages.size();

        Click(*w.window, "cmdHide");  // the dialog is cancelled this time
        QCOMPARE(w.host.saves.size(), size_t{3});
        QCOMPARE(w.host.messages.size(), shown);
        QCOMPARE(ReadFile(picture.toStdString()), original);

        w.Drop("Image2", {w.carrier});
        Find<QAction>(*w.window, "mnuDateiCarrierSend")->trigger();
        Settle(*w.window);
        QCOMPARE(w.desktop.mailed.back(), w.carrier.toStdString());
    }
};

QTEST_MAIN(PngWindowTest)
#include "PngWindowTest.moc"
