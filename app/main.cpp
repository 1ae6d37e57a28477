#include "app/about/frm_splash.h"
#include "app/app_help.h"
#include "app/frm_main.h"
#include "app/wiring.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <memory>

namespace {

void nameTheApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Kestrun"));
    QCoreApplication::setOrganizationName(QStringLiteral("Brivak"));
    QCoreApplication::setApplicationVersion(help::version());
}

} // namespace

int main(int argc, char *argv[])
{
    // Help and the version are text for a terminal: they need no display.
    if (apphelp::asksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameTheApplication();
        return apphelp::readCommandLine(QCoreApplication::arguments()).exitStatus.value_or(0);
    }

    QApplication app(argc, argv);
    nameTheApplication();
    const apphelp::Start start = apphelp::readCommandLine(QCoreApplication::arguments());
    if (start.exitStatus)
        return *start.exitStatus;

    std::unique_ptr<FrmMain> main;
    frmSplash splash;
    QObject::connect(&splash, &frmSplash::handOver, [&main, &start] {
        main = std::make_unique<FrmMain>();
        wiring::wireAll(*main);
        // Without a window manager "maximised" means nothing: start with the whole screen.
        if (const QScreen *s = QGuiApplication::primaryScreen())
            main->setGeometry(s->availableGeometry());
        main->showMaximized();
        main->activateWindow();
        // A file named on the command line (a double click in a file manager) opens once the
        // window is up, as File -> Open would open it, with the same messages.
        if (!start.file.isEmpty())
            QTimer::singleShot(0, main.get(), [&main, &start] {
                wiring::openFile(*main, start.file);
            });
    });
    if (const QScreen *s = QGuiApplication::primaryScreen())
        splash.move(s->availableGeometry().center() - splash.rect().center());
    splash.show();
    return app.exec();
}
