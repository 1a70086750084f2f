// The desktop program: settings from the file beside the executable, then the main window at
// its stored position.
#include <QApplication>
#include <QScreen>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/MailedArchives.h"
#include "app/Session.h"
#include "config/Settings.h"
#include "ui/DialogHost.h"
#include "ui/Pictures.h"
#include "ui/ProgramStart.h"
#include "ui/QtText.h"
#include "ui/TwipsLayout.h"
#include "ui/WindowFont.h"
#include "ui/frmSteg.h"

namespace {
constexpr int kExitUsage = 2;
}

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so they work without a display.
    const tarnwerk::StartOptions options =
        tarnwerk::ParseStartArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "tarnwerk: " << options.error << "\n\n" << tarnwerk::StartUsage();
        return kExitUsage;
    }
    if (options.help || options.version) {
        std::cout << (options.help ? tarnwerk::StartUsage() : std::string("tarnwerk ") + TARNWERK_VERSION + "\n");
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwerk"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWERK_VERSION));
    // Lets Wayland and the dock match the window with the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TARNWERK_APP_ID));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(tarnwerk::ApplicationIcon(64))));
    tarnwerk::UseWindowFont();

    const std::string appDir = tarnwerk::FromQ(QCoreApplication::applicationDirPath());
    const QSize screen =
        QGuiApplication::primaryScreen() != nullptr ? QGuiApplication::primaryScreen()->size() : QSize(1024, 768);
    const tarnwerk::StartupSettings startup =
        tarnwerk::LoadSettings(tarnwerk::DefaultIniPath(appDir), screen.width() * tarnwerk::kTwipsPerPixel,
                               screen.height() * tarnwerk::kTwipsPerPixel);

    tarnwerk::Session session;
    session.iniPath = startup.iniPath;
    session.appPath = tarnwerk::HelpFolder(appDir, TARNWERK_DATA_FROM_PROGRAM);
    session.settings = startup.settings;
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
    if (!options.carrier.empty()) window.commands().DropCarrier({options.carrier});
    return QApplication::exec();
}
