#include "tools/kestrun-cli/subcommand_parser.h"

#include "tools/kestrun-cli/cli_help.h"
#include "tools/kestrun-cli/console.h"

SubcommandParser::SubcommandParser(const QString &name)
    : m_name(name)
{
    m_parser.addHelpOption();
    const help::Command *command = help::subcommand(clihelp::program(), name);
    Q_ASSERT_X(command, "SubcommandParser", "a subcommand without a help entry");
    if (command)
        help::addTo(m_parser, *command);
}

std::optional<int> SubcommandParser::parse(const QStringList &words, int positionals)
{
    // QCommandLineParser skips the first word (the program).
    if (!m_parser.parse(QStringList{QString::fromLatin1(kProgram)} + words))
        return usageError(m_parser.errorText());
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all"))) {
        console::out(helpText().toUtf8());
        return 0;
    }
    const int given = int(m_parser.positionalArguments().size());
    if (given < positionals)
        return usageError(QStringLiteral("missing argument"));
    if (given > positionals)
        return usageError(QStringLiteral("unexpected argument '%1'")
                              .arg(m_parser.positionalArguments().at(positionals)));
    return std::nullopt;
}

std::optional<QString> SubcommandParser::required(const QString &name)
{
    if (!m_parser.isSet(name)) {
        usageError(QStringLiteral("--%1 is required").arg(name));
        return std::nullopt;
    }
    return m_parser.value(name);
}

namespace {
std::optional<qlonglong> wholeNumber(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qlonglong>(v) : std::nullopt;
}
} // namespace

std::optional<int> SubcommandParser::number(const QString &name, int lo, int hi)
{
    const auto text = required(name);
    if (!text)
        return std::nullopt;
    const auto v = wholeNumber(*text);
    if (!v || *v < lo || *v > hi) {
        usageError(QStringLiteral("--%1 must be a whole number from %2 to %3, not '%4'")
                       .arg(name)
                       .arg(lo)
                       .arg(hi)
                       .arg(*text));
        return std::nullopt;
    }
    return int(*v);
}

std::optional<int> SubcommandParser::port()
{
    const auto text = required(QStringLiteral("port"));
    if (!text)
        return std::nullopt;
    // The window takes any 16-bit number as a port; which ones lead to a device is the port
    // mapping's business, and its message.
    const auto v = wholeNumber(*text);
    if (!v || *v < -32768 || *v > 32767) {
        usageError(QStringLiteral("'%1' is not a port number").arg(*text));
        return std::nullopt;
    }
    return int(*v);
}

int SubcommandParser::usageError(const QString &text) const
{
    console::errLine(QStringLiteral("%1 %2: %3").arg(QLatin1String(kProgram), m_name, text));
    console::errLine(
        QStringLiteral("Try '%1 %2 --help'.").arg(QLatin1String(kProgram), m_name));
    return 1;
}

QString SubcommandParser::helpText() const
{
    // Qt names the program by the path it was started with; the usage line should read as the
    // user types it, subcommand included.
    QString text = m_parser.helpText();
    const qsizetype eol = text.indexOf(QLatin1Char('\n'));
    const QString first = text.left(eol);
    const QString usage = QStringLiteral("Usage: ");
    const QString exe = QCoreApplication::arguments().value(0);
    QString rest = first.mid(usage.size());
    if (rest.startsWith(exe))
        rest = rest.mid(exe.size());
    return usage + QLatin1String(kProgram) + QLatin1Char(' ') + m_name + rest + text.mid(eol);
}
