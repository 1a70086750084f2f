// Long commands run off the window's thread: the window keeps painting while they work, and
// Cancel stops each stage without touching a user's file or leaving a scratch file.
#include <QDir>
#include <random>

#include "UiTestSupport.h"
#include "config/TextId.h"

using namespace tarnwerk;
using namespace tarnwerk::test;

namespace {

// Text with some repetition, so deflate works at it as on a real document.
std::string DocumentText(std::size_t size, uint32_t seed) {
    static const char* const words[] = {"carrier ", "payload ",  "window ", "thread ",   "cancel\n",
                                        "bitmap ",  "Tarnwerk ", "zlib ",   "progress ", "key "};
    std::mt19937 random(seed);
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text += words[random() % 10];
        text += std::to_string(random() % 100000);
    }
    text.resize(size);
    return text;
}

QStringList FolderListing(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The window's own Cancel, not that of a dialog open over it.
void PressCancel(frmSteg& win) {
    QTest::mouseClick(Find<QPushButton>(*Find(win, "Client"), "cmdCancel"), Qt::LeftButton);
}

// Clicks Cancel on the window's thread as soon as stopWhen holds during the running command.
// Returns whether it clicked.
bool CancelWhen(frmSteg& win, const std::function<bool()>& stopWhen, const std::function<void()>& afterClick = {}) {
    bool clicked = false;
    const auto check = [&] {
        if (clicked || !win.commandRunning() || !stopWhen()) return;
        PressCancel(win);
        clicked = true;
        if (afterClick) afterClick();
    };
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, check);
    // Each progress report too: a short stage may end between two timer ticks.
    const QMetaObject::Connection onProgress = QObject::connect(&win.progressBar(), &QProgressBar::valueChanged, check);
    poll.start();
    Settle(win);
    QObject::disconnect(onProgress);
    return clicked;
}

struct BigWindow : Window {
    // 4000 x 1500 pixels hold 4.5 MB at two bits per byte.
    BigWindow() {
        MakeBitmap(carrier.toStdString(), 4000, 1500, 24, false, 7);
        Put(data.toStdString(), DocumentText(std::size_t{3} << 20, 11));
        session.settings.ResetOnEnd = false;
        window->show();
        Drop("Image2", {carrier});
        Drop("Image1", {data});
        host.onDialog = [](QDialog& dialog) {
            for (const char* field : {"txtPw1", "txtPw2"})
                if (auto* edit = dialog.findChild<QLineEdit*>(field)) QTest::keyClicks(edit, "Geheim-42!");
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
            return dialog.result();
        };
    }
    int Progress() { return window->progressBar().value(); }
    QString Status() { return window->statusBar().Text(0); }
};

}  // namespace

class CommandThreadTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWindowFont(); }

    // Compression and the key derivation run long enough for Cancel to be clicked while they
    // work; the encryption and the extraction are asked to stop while their stage opens (at
    // the passphrase dialog, at the overwrite question), which they notice at their first chunk.
    void cancelLeavesEveryFileAsItWas_data() {
        QTest::addColumn<int>("compression");
        QTest::addColumn<int>("cipher");
        QTest::addColumn<QString>("stage");
        QTest::newRow("compression") << 1 << 0 << "progress";
        QTest::newRow("key derivation") << 0 << 5 << "derivation";
        QTest::newRow("encryption") << 0 << 0 << "dialog";
    }
    void cancelLeavesEveryFileAsItWas() {
        QFETCH(int, compression);
        QFETCH(int, cipher);
        QFETCH(QString, stage);
        BigWindow w;
        w.session.settings.Compression = compression != 0;
        w.session.settings.Algorithmus = static_cast<CipherIndex>(cipher);
        const Bytes carrier = ReadFile(w.carrier.toStdString()), data = ReadFile(w.data.toStdString());
        const QStringList before = FolderListing(QString::fromStdString(w.dir.path()));
        const QString deriving = Tr(kEn, TextId::DerivingKeyStatus);
        if (stage == "dialog") w.host.onShow = [&] { PressCancel(*w.window); };
        QTest::mouseClick(Find<QPushButton>(*w.window, "cmdHide"), Qt::LeftButton);
        QVERIFY(w.window->commandRunning());  // the click returns while the command works
        const bool clicked = CancelWhen(*w.window, [&] {
            if (stage == "dialog") return false;
            return stage == "derivation" ? w.Status().contains(deriving) : w.Progress() > 0;
        });
        QVERIFY(clicked || stage == "dialog");
        QVERIFY(ReadFile(w.carrier.toStdString()) == carrier);
        QVERIFY(ReadFile(w.data.toStdString()) == data);
        QCOMPARE(FolderListing(QString::fromStdString(w.dir.path())), before);
        QVERIFY(w.host.messages.empty());  // a cancel is no failure and no success
        QCOMPARE(w.Status(), " " + Tr(kEn, TextId::ReadyStatus));
        QVERIFY(Find(*w.window, "cmdReset")->isVisible());
        QVERIFY(!Find(*Find(*w.window, "Client"), "cmdCancel")->isVisible());
    }

    // The stealth engine works on threads of its own: Cancel reaches it as a flag, and the
    // carrier stays whole with no scratch file beside it.
    void cancelDuringAStealthHideKeepsTheCarrier() {
        BigWindow w;
        w.session.settings.Method = HidingMethod::Stealth;
        Put(w.data.toStdString(), DocumentText(100000, 12));
        w.Drop("Image1", {w.data});
        const Bytes carrier = ReadFile(w.carrier.toStdString());
        const QStringList before = FolderListing(QString::fromStdString(w.dir.path()));
        QTest::mouseClick(Find<QPushButton>(*w.window, "cmdHide"), Qt::LeftButton);
        QVERIFY(CancelWhen(*w.window, [&] { return w.Progress() > 0; }));
        QVERIFY(ReadFile(w.carrier.toStdString()) == carrier);
        QCOMPARE(FolderListing(QString::fromStdString(w.dir.path())), before);
        QVERIFY(w.host.messages.empty());
        QCOMPARE(w.Status(), " " + Tr(kEn, TextId::ReadyStatus));
    }

    // An existing output keeps its content and no partial file appears beside it.
    void cancelDuringExtractionKeepsTheOutput() {
        BigWindow w;
        w.session.settings.Compression = false;
        w.session.settings.Encryption = false;
        Click(*w.window, "cmdHide");
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        const QString output = w.Path("out.txt");
        Put(output.toStdString(), "mine");
        const Bytes carrier = ReadFile(w.carrier.toStdString());
        const QStringList before = FolderListing(QString::fromStdString(w.dir.path()));
        w.host.messages.clear();
        w.host.saveAnswers = {output};
        w.host.boxAnswers = {QMessageBox::Yes};  // replace it
        w.host.onShow = [&] { PressCancel(*w.window); };
        Click(*w.window, "cmdExtract");
        QCOMPARE(w.host.messages.size(), std::size_t{1});  // the overwrite question only
        QCOMPARE(ReadFile(output.toStdString()), Bytes({'m', 'i', 'n', 'e'}));
        QVERIFY(ReadFile(w.carrier.toStdString()) == carrier);
        QCOMPARE(FolderListing(QString::fromStdString(w.dir.path())), before);
    }

    // Once the carrier is being written the write runs to its end, and the status says so.
    void cancelDuringTheCarrierWriteLetsItEnd() {
        BigWindow w;
        w.session.settings.Compression = false;
        w.session.settings.Encryption = false;  // the write into the carrier is the only stage
        const Bytes carrier = ReadFile(w.carrier.toStdString());
        QString statusAfterCancel;
        QTest::mouseClick(Find<QPushButton>(*w.window, "cmdHide"), Qt::LeftButton);
        QVERIFY(CancelWhen(
            *w.window, [&] { return w.Progress() > 0; }, [&] { statusAfterCancel = w.Status(); }));
        QCOMPARE(statusAfterCancel, " " + Tr(kEn, TextId::CarrierWriteRunsOnText));
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        QVERIFY(ReadFile(w.carrier.toStdString()) != carrier);
    }

    // While the key derivation runs (about a second) the event loop turns and the busy bar
    // paints; the derivation shows its own status.
    void theWindowPaintsDuringACommand() {
        BigWindow w;
        w.session.settings.Compression = false;
        w.session.settings.Algorithmus = CipherIndex::XChaCha20;
        int paints = 0, ticks = 0;
        bool sawDerivation = false, sawBusyBar = false;
        struct PaintCounter : QObject {
            int& count;
            explicit PaintCounter(int& c) : count(c) {}
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint) ++count;
                return false;
            }
        } counter(paints);
        w.window->progressBar().installEventFilter(&counter);
        QTimer tick;
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            ++ticks;
            sawDerivation = sawDerivation || w.Status().contains(Tr(kEn, TextId::DerivingKeyStatus));
            sawBusyBar = sawBusyBar || w.window->progressBar().maximum() == 0;
        });
        tick.start();
        QTest::mouseClick(Find<QPushButton>(*w.window, "cmdHide"), Qt::LeftButton);
        Settle(*w.window);
        QVERIFY(sawDerivation);
        QVERIFY(sawBusyBar);
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
        QVERIFY2(paints >= 3, qPrintable(QString::number(paints)));
        QCOMPARE(w.host.messages.back().text, Tr(kEn, TextId::HiddenText));
        QCOMPARE(w.window->progressBar().maximum(), 100);
    }
};

QTEST_MAIN(CommandThreadTest)
#include "CommandThreadTest.moc"
