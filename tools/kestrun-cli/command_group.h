#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>

// A subcommand made of commands of its own (`archive list`, `limits set`): the first word
// names the command, `--help` lists them with the summaries of their help entries.
namespace commandgroup {

struct Command
{
    const char *name;
    int (*run)(const QStringList &words);
};

// Runs the command of `group` that the first of `words` names with the words after it. No
// word or an unknown one prints the overview on standard error and returns 1. `intro` is the
// overview's paragraph above the list of commands.
int run(const QString &group, const QString &intro, std::initializer_list<Command> commands,
        const QStringList &words);

} // namespace commandgroup
