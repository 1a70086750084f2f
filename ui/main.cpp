// The desktop program: settings from the file beside the executable, then the main window at
// its stored position.
#include <QApplication>
#include <QScreen>

#include <ctime>

#include "app/Desktop.h"
#include "app/MailedArchives.h"
#include "app/Session.h"
#include "config/Settings.h"
#include "ui/DialogHost.h"
#include "ui/QtText.h"
#include "ui/TwipsLayout.h"
#include "ui/WindowFont.h"
#include "ui/frmSteg.h"
#include "ui/Pictures.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwerk"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWERK_VERSION));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(tarnwerk::ApplicationIcon(64))));
    tarnwerk::UseWindowFont();

    const std::string appDir = tarnwerk::FromQ(QCoreApplication::applicationDirPath());
    const QSize screen = QGuiApplication::primaryScreen() != nullptr ? QGuiApplication::primaryScreen()->size()
                                                                     : QSize(1024, 768);
    const tarnwerk::StartupSettings startup = tarnwerk::LoadSettings(
        tarnwerk::DefaultIniPath(appDir), screen.width() * tarnwerk::kTwipsPerPixel,
        screen.height() * tarnwerk::kTwipsPerPixel);

    tarnwerk::Session session;
    session.iniPath = startup.iniPath;
    session.appPath = appDir + "/";
    session.settings = startup.settings;
    session.bitsPerByte = startup.bitsPerByte;
    session.languageBase = startup.languageBase;
    session.carrierFilter = startup.carrierFilter;

    // Archives mailed at an earlier run have been read by the mail program by now.
    tarnwerk::RemoveMailedArchives(tarnwerk::MailedArchivesPath(session.iniPath), std::time(nullptr));

    tarnwerk::XdgDesktop desktop;
    tarnwerk::QtDialogHost host;
    tarnwerk::frmSteg window(session, desktop, host);
    window.show();
    window.MoveToTwips(startup.left, startup.top);
    window.Start();
    return QApplication::exec();
}
