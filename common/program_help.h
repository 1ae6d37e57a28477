#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// What a program tells its users about itself: its --help and its manual page are both made
// from one such description, so the two cannot tell different stories.
namespace help {

struct Option
{
    QStringList names;   // {"p", "port"}: one letter for -p, a word for --port
    QString description;
    QString valueName;   // empty for a switch
};

struct Positional
{
    QString name;
    QString description;
    QString syntax;      // how the usage line shows it
};

// A program, or one subcommand of a program.
struct Command
{
    QString name;
    QString summary;     // one line, lower case, no full stop
    QString description; // what --help prints above the options
    QList<Option> options;
    QList<Positional> positionals;
};

// A name and what it means: an environment variable, a file, an exit status.
struct Entry
{
    QString name;
    QString text;
};

struct Example
{
    QString command;
    QString text;
};

struct Program
{
    Command command;               // the program itself: name, summary, description, options
    QString usage;                 // what follows the program's name on the usage line
    // Options the parser provides by itself (help, version): in the manual, not added by addTo.
    QList<Option> ownOptions;
    QList<Command> subcommands;
    QList<Option> subcommandOwnOptions; // what every subcommand's parser provides by itself
    QList<Entry> exitStatus;
    QList<Entry> environment;
    QList<Entry> files;
    QList<Example> examples;
    QStringList notes;             // further paragraphs of the manual's description
    QStringList seeAlso;           // "kestrun(1)"
};

// The options and arguments of `command` on a parser; --help is added by the parser's owner.
void addTo(QCommandLineParser &parser, const Command &command);

// The version both programs print and their manual pages carry: "2.1.2".
QString version();

// How a user gets access to a serial port's device, for both programs' manuals.
QString serialAccessNote();

// The subcommand named `name`, or nullptr.
const Command *subcommand(const Program &program, const QString &name);

} // namespace help
