// kestrun-manual SOURCE.md OUTPUT.pdf: renders the user manual (run by the build).

#include "tools/manual/manual_render.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    // Fonts and images need a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: kestrun-manual SOURCE.md OUTPUT.pdf\n";
        return 2;
    }
    const manual::Result r = manual::render(args.at(1), args.at(2));
    if (!r.ok) {
        err << "kestrun-manual: " << r.error << "\n";
        return 1;
    }
    return 0;
}
