// kestrun-manpage: writes the manual page of kestrun or kestrun-cli from the description their
// --help is made of.
//
//   kestrun-manpage kestrun-cli OUT.1

#include "app/app_help.h"
#include "tools/kestrun-cli/cli_help.h"
#include "tools/manpage/man_page.h"

#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: kestrun-manpage kestrun|kestrun-cli OUT.1\n", stderr);
        return 1;
    }
    const QString which = QString::fromLocal8Bit(argv[1]);
    const help::Program *program = which == QLatin1String("kestrun")       ? &apphelp::program()
                                   : which == QLatin1String("kestrun-cli") ? &clihelp::program()
                                                                           : nullptr;
    if (!program) {
        std::fprintf(stderr, "kestrun-manpage: no program '%s'\n", argv[1]);
        return 1;
    }
    const QString version = QStringLiteral("Kestrun ") + help::version();
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(manpage::render(*program, version).toUtf8()) < 0 || !out.flush()) {
        std::fprintf(stderr, "kestrun-manpage: %s\n", qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
