// Drives the real main window, offscreen, through a hide (compression and XChaCha20-Poly1305)
// and the extraction of what it hid, and measures the longest gap between two turns of the
// window's event loop during each: the window must stay responsive while the work runs on its
// worker thread. Also notes what the window showed meanwhile: the progress rising during the
// compression, the key derivation's own status with a busy bar, the encryption's reports.
//
//   tarnwerk-window-bench FOLDER DATA WIDTH HEIGHT
//
// Writes a WIDTH x HEIGHT 24-bit bitmap into FOLDER, hides DATA in it, extracts it to FOLDER
// and compares. Prints "name value unit" lines; exits 1 when a command failed.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/Desktop.h"
#include "app/Session.h"
#include "config/Strings.h"
#include "support/TestCarriers.h"
#include "ui/DialogHost.h"
#include "ui/StatusPanels.h"
#include "ui/frmSteg.h"

using namespace tarnwerk;

namespace {

constexpr const char* kPassphrase = "Bench-Passphrase-42!";

// Answers every dialog as a user who agrees would: message boxes with their first button,
// passphrase dialogs with the bench passphrase, the save dialog with the output path.
class AgreeingDialogs : public DialogHost {
public:
    explicit AgreeingDialogs(QString output) : output_(std::move(output)) {}
    QStringList messages;

    int Exec(QDialog& dialog) override {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages << box->text();
            return box->buttons().isEmpty() ? 0 : box->standardButton(box->buttons().first());
        }
        for (QLineEdit* field : dialog.findChildren<QLineEdit*>()) field->setText(QString::fromLatin1(kPassphrase));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        return dialog.result();
    }
    QString OpenFile(QWidget*, const QString&, const QStringList&, bool, const QString&) override { return {}; }
    QString SaveFile(QWidget*, const QString&, const QStringList&, const QString&) override { return output_; }

private:
    QString output_;
};

class NoDesktop : public Desktop {
public:
    bool Open(const std::string&, LaunchEnded) override { return false; }
    bool ComposeMailWithAttachment(const std::string&, LaunchEnded) override { return false; }
};

// What one command looked like from the event loop: the longest gap between two turns, and
// the progress and status seen on each turn.
struct Observation {
    double longestGapMs = 0;
    int turns = 0;
    int risesBeforeDerivation = 0;   // progress increases seen before the key derivation
    bool derivationShown = false;    // its status text together with a busy bar
    int reportsAfterDerivation = 0;  // progress values seen after it, until the bar restarts
};

Observation Observe(frmSteg& window, const char* button) {
    Observation seen;
    const QString deriving = QString::fromStdString(Text(kLanguageBaseEnglish, TextId::DerivingKeyStatus));
    QElapsedTimer clock;
    qint64 lastTurn = 0;
    int lastValue = 0;
    bool derivationEnded = false, restarted = false;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        seen.longestGapMs = std::max(seen.longestGapMs, static_cast<double>(now - lastTurn) / 1e6);
        lastTurn = now;
        ++seen.turns;
        const bool deriving_now = window.statusBar().Text(0).contains(deriving);
        const int value = window.progressBar().value();
        if (deriving_now && window.progressBar().maximum() == 0) seen.derivationShown = true;
        if (seen.derivationShown && !deriving_now) derivationEnded = true;
        if (!seen.derivationShown && value > lastValue) ++seen.risesBeforeDerivation;
        if (derivationEnded && !restarted) {
            if (value < lastValue)
                restarted = true;
            else if (value > lastValue)
                ++seen.reportsAfterDerivation;
        }
        lastValue = value;
    });
    clock.start();
    turn.start();
    window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    while (window.commandRunning()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    turn.stop();
    return seen;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Print(const char* name, double value, const char* unit) { std::printf("%s %.3f %s\n", name, value, unit); }

Session BenchSession(const std::string& folder) {
    Session session;
    session.iniPath = folder + "/tarnwerk.ini";
    session.appPath = folder + "/";
    session.languageBase = kLanguageBaseEnglish;
    session.settings.Language = 1;
    session.settings.Compression = true;
    session.settings.Encryption = true;
    session.settings.Algorithmus = CipherIndex::XChaCha20;
    session.settings.ResetOnEnd = false;
    session.carrierFilter = BuildCarrierFilter(session.languageBase);
    return session;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: tarnwerk-window-bench FOLDER DATA WIDTH HEIGHT\n");
        return 2;
    }
    QApplication application(argc, argv);
    const std::string folder = argv[1], data = argv[2];
    // The output keeps the data's extension, which the carrier records.
    const std::string extension = QFileInfo(QString::fromStdString(data)).suffix().toStdString();
    const std::string carrier = folder + "/window-carrier.bmp", output = folder + "/window-extracted." + extension;
    test::MakeBitmap(carrier, std::atoi(argv[3]), std::atoi(argv[4]), 24, false, 5);

    Session session = BenchSession(folder);
    AgreeingDialogs dialogs(QString::fromStdString(output));
    NoDesktop desktop;
    frmSteg window(session, desktop, dialogs);
    window.show();
    window.Start();
    window.commands().DropCarrier({carrier});
    window.commands().SetDataFile(data);

    const Observation hide = Observe(window, "cmdHide");
    const QString hidden = QString::fromStdString(Text(kLanguageBaseEnglish, TextId::HiddenText));
    if (dialogs.messages.isEmpty() || dialogs.messages.last() != hidden) {
        std::fprintf(stderr, "the hide failed: %s\n", qPrintable(dialogs.messages.join(" | ")));
        return 1;
    }
    const Observation extract = Observe(window, "cmdExtract");
    if (Slurp(output) != Slurp(data)) {
        std::fprintf(stderr, "the extracted data differ: %s\n", qPrintable(dialogs.messages.join(" | ")));
        return 1;
    }
    Print("hide_longest_gap", hide.longestGapMs, "ms");
    Print("hide_turns", hide.turns, "count");
    Print("hide_compression_rises", hide.risesBeforeDerivation, "count");
    Print("hide_derivation_shown", hide.derivationShown ? 1 : 0, "bool");
    Print("hide_encryption_reports", hide.reportsAfterDerivation, "count");
    Print("extract_longest_gap", extract.longestGapMs, "ms");
    Print("extract_turns", extract.turns, "count");
    Print("extract_derivation_shown", extract.derivationShown ? 1 : 0, "bool");
    return 0;
}
