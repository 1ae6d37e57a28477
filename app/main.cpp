#include "app/frm_main.h"
#include "app/wiring.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrun"));
    QApplication::setOrganizationName(QStringLiteral("Brivak"));
    QApplication::setApplicationVersion(QStringLiteral("2.1.2"));
    FrmMain w;
    wiring::wireAll(w);
    // Without a window manager "maximised" means nothing: start with the whole screen.
    if (const QScreen *s = QGuiApplication::primaryScreen())
        w.setGeometry(s->availableGeometry());
    w.showMaximized();
    return app.exec();
}
