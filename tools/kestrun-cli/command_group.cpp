#include "tools/kestrun-cli/command_group.h"

#include "tools/kestrun-cli/cli_help.h"
#include "tools/kestrun-cli/console.h"

#include <algorithm>

namespace commandgroup {
namespace {

QString overview(const QString &group, const QString &intro,
                 std::initializer_list<Command> commands)
{
    QStringList names;
    // The summaries in one column, two blanks past the longest name.
    qsizetype width = 8;
    for (const Command &c : commands) {
        names << QLatin1String(c.name);
        width = std::max(width, names.last().size() + 2);
    }
    QString text = QStringLiteral("Usage: kestrun-cli %1 <%2> [options]\n\n%3\n\n")
                       .arg(group, names.join(QLatin1Char('|')), intro);
    for (const Command &c : commands) {
        const help::Command *command =
            help::subcommand(clihelp::program(), group + QLatin1Char(' ') + QLatin1String(c.name));
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(c.name), -int(width))
                    .arg(command ? command->summary : QString());
    }
    return text;
}

} // namespace

int run(const QString &group, const QString &intro, std::initializer_list<Command> commands,
        const QStringList &words)
{
    const QString first = words.value(0);
    for (const Command &c : commands)
        if (first == QLatin1String(c.name))
            return c.run(words.mid(1));
    const QByteArray text = overview(group, intro, commands).toUtf8();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        console::out(text);
        return 0;
    }
    console::err(text);
    return first.isEmpty()
               ? 1
               : console::fail(QStringLiteral("kestrun-cli %1: no '%2'").arg(group, first));
}

} // namespace commandgroup
