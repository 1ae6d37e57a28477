#include "common/program_help.h"

#include "common/app_info.h"

#include <QCommandLineParser>

namespace help {

void addTo(QCommandLineParser &parser, const Command &command)
{
    parser.setApplicationDescription(command.description);
    for (const Option &o : command.options) {
        if (o.valueName.isEmpty())
            parser.addOption(QCommandLineOption(o.names, o.description));
        else
            parser.addOption(QCommandLineOption(o.names, o.description, o.valueName));
    }
    for (const Positional &p : command.positionals)
        parser.addPositionalArgument(p.name, p.description, p.syntax);
}

QString version()
{
    return QStringLiteral("%1.%2.%3").arg(appinfo::kMajor).arg(appinfo::kMinor).arg(appinfo::kRevision);
}

QString serialAccessNote()
{
    return QStringLiteral("Opening a port needs read and write access to its device. On Debian "
                          "and Ubuntu serial devices belong to the group dialout: join it with "
                          "'sudo adduser $USER dialout' and log in again.");
}

const Command *subcommand(const Program &program, const QString &name)
{
    for (const Command &c : program.subcommands)
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace help
