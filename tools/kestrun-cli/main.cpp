// kestrun-cli: the loggers from the command line, on the same core as the window.

#include "tools/kestrun-cli/cli_help.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/subcommands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <memory>

namespace {

// Runs the subcommand `name` with the words after it.
int run(const QString &name, const QStringList &words)
{
    for (const Subcommand &s : subcommands())
        if (name == QLatin1String(s.name))
            return s.run(words);
    console::errLine(QStringLiteral("kestrun-cli: no subcommand '%1'").arg(name));
    console::err(clihelp::overview().toUtf8());
    return 1;
}

} // namespace

const QList<Subcommand> &subcommands()
{
    static const QList<Subcommand> list{
        {"ports", runPorts},       {"info", runInfo},   {"time", runTime},
        {"download", runDownload}, {"table", runTable}, {"export", runExport},
        {"live", runLive},         {"summary", runSummary},
        {"report", runReport},     {"verify", runVerify},
        {"archive", runArchive},   {"limits", runLimits},
        {"audit", runAudit},
    };
    return list;
}

int main(int argc, char *argv[])
{
    // A report draws text, and fonts come with a GUI application only. It never shows a
    // window, so it needs no display: the offscreen platform serves.
    const bool draws = argc > 1 && std::strcmp(argv[1], "report") == 0;
    if (draws)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app(draws ? new QGuiApplication(argc, argv)
                                                      : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("kestrun-cli"));
    QCoreApplication::setOrganizationName(QStringLiteral("Brivak"));
    QCoreApplication::setApplicationVersion(help::version());

    QStringList words = QCoreApplication::arguments().mid(1);
    if (words.isEmpty()) {
        console::err(clihelp::overview().toUtf8());
        return 1;
    }
    const QString first = words.takeFirst();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        console::out(clihelp::overview().toUtf8());
        return 0;
    }
    if (first == QLatin1String("--version")) {
        console::outLine(QStringLiteral("kestrun-cli ") + QCoreApplication::applicationVersion());
        return 0;
    }
    // "help <subcommand>" is the subcommand's --help.
    if (first == QLatin1String("help")) {
        if (words.isEmpty()) {
            console::out(clihelp::overview().toUtf8());
            return 0;
        }
        return run(words.first(), {QStringLiteral("--help")});
    }
    return run(first, words);
}
