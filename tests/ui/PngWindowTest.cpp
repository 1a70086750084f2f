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
};

QTEST_MAIN(PngWindowTest)
#include "PngWindowTest.moc"
