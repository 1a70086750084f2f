// Renders every window of the program to PNG files, in all four languages, for checking the
// layout by eye: tarnwerk-screenshots <output folder>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/Desktop.h"
#include "app/Session.h"
#include "config/Settings.h"
#include "config/Strings.h"
#include "ui/DialogHost.h"
#include "ui/MessageBoxes.h"
#include "ui/Pictures.h"
#include "ui/QtText.h"
#include "ui/WindowFont.h"
#include "ui/frmGetPw.h"
#include "ui/frmInfo.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"
#include "ui/frmSteg.h"

namespace {

using namespace tarnwerk;

class NoDesktop : public Desktop {
public:
    bool Open(const std::string&, LaunchEnded) override { return false; }
    bool ComposeMailWithAttachment(const std::string&, LaunchEnded) override { return false; }
};

// Dialogs opened by the workflows are cancelled; nothing waits for a person.
class CancellingHost : public DialogHost {
public:
    int Exec(QDialog&) override { return QDialog::Rejected; }
    QString OpenFile(QWidget*, const QString&, const QStringList&, bool, const QString&) override { return {}; }
    QString SaveFile(QWidget*, const QString&, const QStringList&, const QString&) override { return {}; }
};

bool Save(QWidget& widget, const QString& file) {
    widget.show();
    widget.raise();
    QApplication::processEvents();
    const bool saved = widget.grab().save(file, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(file));
    return saved;
}

QString WriteCarrier(const QString& folder) {
    QImage picture = ApplicationIcon(96).convertToFormat(QImage::Format_RGB888);
    const QString path = folder + QStringLiteral("/holiday.bmp");
    picture.save(path, "BMP");
    return path;
}

// A command in the middle of its work: status, progress and Cancel in Reset's place (the
// window shows Cancel only while a worker runs, so the picture sets the buttons itself).
template <typename Shot>
void ShootBusy(frmSteg& window, int languageBase, Shot& shot) {
    window.SetBusy(true);
    window.SetStatus(0, " " + Text(languageBase, TextId::HidingStatus));
    window.ShowProgress(40);
    auto* reset = window.findChild<QPushButton*>(QStringLiteral("cmdReset"));
    auto* cancel = window.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    if (reset && cancel) {
        reset->setVisible(false);
        cancel->setVisible(true);
    }
    shot(window, "main-hiding");
    window.SetBusy(false);
    window.ShowProgress(0);
    window.Start();
}

int ShootDialogs(Session& session, frmSteg& window, NoDesktop& desktop, CancellingHost& host, const QString& out,
                 const QString& language);

int Shoot(const QString& out, const QString& language, int languageBase, uint8_t languageIndex) {
    QTemporaryDir scratch;
    Session session;
    session.iniPath = FromQ(scratch.path()) + "/tarnwerk.ini";
    session.appPath = FromQ(scratch.path()) + "/";
    session.settings.Language = languageIndex;
    session.settings.Algorithmus = CipherIndex::XChaCha20;  // the longest cipher name, for the status bar
    session.languageBase = languageBase;
    session.carrierFilter = BuildCarrierFilter(languageBase);
    NoDesktop desktop;
    CancellingHost host;
    int failures = 0;
    auto shot = [&](QWidget& widget, const char* name) {
        if (!Save(widget, QStringLiteral("%1/%2-%3.png").arg(out, QString::fromLatin1(name), language))) ++failures;
    };

    frmSteg window(session, desktop, host);
    window.Start();
    shot(window, "main-empty");

    window.commands().LoadCarrier(FromQ(WriteCarrier(scratch.path())));
    window.commands().SetDataFile(FromQ(scratch.path()) + "/letter.txt");
    window.FieldsChanged();
    shot(window, "main-carrier");
    const QSize designed = window.size();
    window.resize(designed.width() + 220, designed.height() + 40);
    shot(window, "main-wide");
    window.resize(designed);

    ShootBusy(window, languageBase, shot);

    if (auto* file = window.findChild<QMenu*>(QStringLiteral("mnuDatei"))) {
        file->popup(window.mapToGlobal(QPoint(0, 0)));
        shot(*file, "menu-file");
        file->hide();
    }

    failures += ShootDialogs(session, window, desktop, host, out, language);
    return failures;
}

// The dialogs over the main window, each in its first state.
int ShootDialogs(Session& session, frmSteg& window, NoDesktop& desktop, CancellingHost& host, const QString& out,
                 const QString& language) {
    const int languageBase = session.languageBase;
    int failures = 0;
    auto shot = [&](QWidget& widget, const char* name) {
        if (!Save(widget, QStringLiteral("%1/%2-%3.png").arg(out, QString::fromLatin1(name), language))) ++failures;
    };
    frmOpt options(session, window.commands(), host, &window);
    shot(options, "options");
    options.Unload();

    frmSetPw setPassphrase(languageBase, host, &window);
    QTest::keyClicks(setPassphrase.findChild<QLineEdit*>(QStringLiteral("txtPw1")), QStringLiteral("Secret1"));
    QTest::keyClicks(setPassphrase.findChild<QLineEdit*>(QStringLiteral("txtPw2")), QStringLiteral("Secret1"));
    shot(setPassphrase, "set-passphrase");

    frmGetPw getPassphrase(languageBase, host, &window);
    shot(getPassphrase, "get-passphrase");

    frmInfo about(languageBase, desktop, host, &window);
    shot(about, "about");

    Message tooLarge;
    tooLarge.text = JoinLines(languageBase, {TextId::TooLargeText, TextId::LargerCarrierHint});
    tooLarge.icon = MessageIcon::Exclamation;
    tooLarge.title = Text(languageBase, TextId::TooLargeTitle);
    std::unique_ptr<QMessageBox> box = MakeMessageBox(&window, tooLarge);
    shot(*box, "message");
    return failures;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    UseWindowFont();
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    int failures = Shoot(out, QStringLiteral("en"), kLanguageBaseEnglish, 1);
    failures += Shoot(out, QStringLiteral("de"), kLanguageBaseGerman, 0);
    failures += Shoot(out, QStringLiteral("nl"), kLanguageBaseDutch, 2);
    failures += Shoot(out, QStringLiteral("fr"), kLanguageBaseFrench, 3);
    return failures == 0 ? 0 : 1;
}
