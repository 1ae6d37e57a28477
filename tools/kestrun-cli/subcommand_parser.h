#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

// The options of one subcommand: QCommandLineParser with a help text that names the
// subcommand, and usage errors that say which subcommand they belong to. The description,
// options and arguments come from the subcommand's entry in cli_help, which the manual page
// is written from too; a subcommand declares none of its own.
//
//   SubcommandParser p("info");
//   if (const auto status = p.parse(args))   // --help or a usage error
//       return *status;
//   const auto port = p.port();
class SubcommandParser
{
public:
    static constexpr const char *kProgram = "kestrun-cli";

    explicit SubcommandParser(const QString &name);

    // Parses the words after the subcommand. nullopt: go on with the run. Otherwise the run is
    // over with that status: 0 after --help (help on standard output), 1 after a usage error
    // (reported on standard error). `positionals` is how many positional arguments must be
    // given.
    std::optional<int> parse(const QStringList &words, int positionals = 0);

    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    QString value(const QString &name) const { return m_parser.value(name); }
    QStringList positionalArguments() const { return m_parser.positionalArguments(); }

    // A required whole-number option within lo..hi; nullopt after a usage error.
    std::optional<int> number(const QString &name, int lo, int hi);
    // The --port option (required).
    std::optional<int> port();
    // A required option's text; nullopt after a usage error.
    std::optional<QString> required(const QString &name);

    // Reports a usage error of this subcommand; returns the status 1.
    int usageError(const QString &text) const;
    QString helpText() const;

private:
    QString m_name;
    QCommandLineParser m_parser;
};
