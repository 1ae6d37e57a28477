#include "app/about/frm_splash.h"
#include "app/frm_main.h"
#include "app/wiring.h"

#include <QApplication>
#include <QScreen>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrun"));
    QApplication::setOrganizationName(QStringLiteral("Brivak"));
    QApplication::setApplicationVersion(QStringLiteral("2.1.2"));

    std::unique_ptr<FrmMain> main;
    frmSplash splash;
    QObject::connect(&splash, &frmSplash::handOver, [&main] {
        main = std::make_unique<FrmMain>();
        wiring::wireAll(*main);
        // Without a window manager "maximised" means nothing: start with the whole screen.
        if (const QScreen *s = QGuiApplication::primaryScreen())
            main->setGeometry(s->availableGeometry());
        main->showMaximized();
        main->activateWindow();
    });
    if (const QScreen *s = QGuiApplication::primaryScreen())
        splash.move(s->availableGeometry().center() - splash.rect().center());
    splash.show();
    return app.exec();
}
