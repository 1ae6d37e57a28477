// kestrun-cli: the loggers from the command line, on the same core as the window.

#include "common/app_info.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/subcommands.h"

#include <QCoreApplication>

namespace {

QString overview()
{
    QString text = QStringLiteral(
        "Usage: kestrun-cli <subcommand> [options]\n\n"
        "The loggers from the command line: the same port rules, waits, checks, files and\n"
        "table texts as the Kestrun window.\n\n"
        "Subcommands:\n");
    for (const Subcommand &s : subcommands())
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(s.name), -10).arg(QLatin1String(s.summary));
    text += QStringLiteral(
        "\n'kestrun-cli <subcommand> --help' describes a subcommand and its options.\n"
        "Exit status: 0 on success, 1 on failure (the reason on standard error).\n");
    return text;
}

// Runs the subcommand `name` with the words after it.
int run(const QString &name, const QStringList &words)
{
    for (const Subcommand &s : subcommands())
        if (name == QLatin1String(s.name))
            return s.run(words);
    console::errLine(QStringLiteral("kestrun-cli: no subcommand '%1'").arg(name));
    console::err(overview().toUtf8());
    return 1;
}

} // namespace

const QList<Subcommand> &subcommands()
{
    static const QList<Subcommand> list{
        {"ports", "the port numbers and the devices they open", runPorts},
        {"info", "Device Details of the logger on a port", runInfo},
        {"time", "the logger's clock", runTime},
        {"download", "read the logger's memory into a .brv2 file", runDownload},
        {"table", "the readings table of a .brv2 file, tab-separated", runTable},
        {"export", "the readings table as CSV or as a workbook", runExport},
        {"live", "live readings, one row at a time", runLive},
        {"archive", "the archived runs: list, get, import, sync", runArchive},
    };
    return list;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrun-cli"));
    QCoreApplication::setOrganizationName(QStringLiteral("Brivak"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(appinfo::kMajor)
                                                .arg(appinfo::kMinor)
                                                .arg(appinfo::kRevision));

    QStringList words = QCoreApplication::arguments().mid(1);
    if (words.isEmpty()) {
        console::err(overview().toUtf8());
        return 1;
    }
    const QString first = words.takeFirst();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        console::out(overview().toUtf8());
        return 0;
    }
    if (first == QLatin1String("--version")) {
        console::outLine(QStringLiteral("kestrun-cli ") + QCoreApplication::applicationVersion());
        return 0;
    }
    // "help <subcommand>" is the subcommand's --help.
    if (first == QLatin1String("help")) {
        if (words.isEmpty()) {
            console::out(overview().toUtf8());
            return 0;
        }
        return run(words.first(), {QStringLiteral("--help")});
    }
    return run(first, words);
}
