#include "app/frm_main.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrun"));
    QApplication::setOrganizationName(QStringLiteral("Brivak"));
    QApplication::setApplicationVersion(QStringLiteral("2.1.2"));
    FrmMain w;
    w.showMaximized();
    return app.exec();
}
