#include "install/forms.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(LaunchSequence::kProgramTitle);

    // The packages lie next to the launcher, wherever the medium is mounted.
    Form1 form(QCoreApplication::applicationDirPath(), LaunchSequence::systemHooks());
    QObject::connect(&form, &Form1::endProgram, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.show();
    return app.exec();
}
