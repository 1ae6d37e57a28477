#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

// The options of one subcommand: QCommandLineParser with a help text that names the
// subcommand, and usage errors that say which subcommand they belong to.
//
//   SubcommandParser p("info", "What the Device Details dialog shows.");
//   p.addPortOption();
//   if (const auto status = p.parse(args))   // --help or a usage error
//       return *status;
//   const auto port = p.port();
class SubcommandParser
{
public:
    static constexpr const char *kProgram = "kestrun-cli";

    SubcommandParser(const QString &name, const QString &description);

    void addOption(const QCommandLineOption &option);
    // -p, --port N: the port number, as the window's Comm Port menu counts ports.
    void addPortOption();
    // A positional argument: `syntax` is how the usage line shows it.
    void addPositional(const QString &name, const QString &description, const QString &syntax);

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
