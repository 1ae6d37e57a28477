#include "tools/manpage/man_page.h"

namespace manpage {
namespace {

// Text as groff reads it: backslashes and hyphens escaped (so options can be copied), a
// leading dot or quote kept from being read as a request, other characters by their code.
QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\e");
        else if (c == QLatin1Char('-'))
            out += QLatin1String("\\-");
        else if (c == QLatin1Char('\n'))
            out += QLatin1Char(' ');
        else if (c.unicode() > 126)
            out += QStringLiteral("\\[u%1]").arg(
                QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        else
            out += c;
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QLatin1String("\\&"));
    return out;
}

QString bold(const QString &text) { return QStringLiteral("\\fB%1\\fR").arg(escaped(text)); }
QString italic(const QString &text) { return QStringLiteral("\\fI%1\\fR").arg(escaped(text)); }

// "-p, --port N" as the option list of --help shows it.
QString optionLine(const help::Option &o)
{
    QStringList names;
    for (const QString &n : o.names)
        names << bold((n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n);
    QString line = names.join(QStringLiteral(", "));
    if (!o.valueName.isEmpty())
        line += QLatin1Char(' ') + italic(o.valueName);
    return line;
}

QString tagged(const QString &tag, const QString &text)
{
    return QStringLiteral(".TP\n%1\n%2\n").arg(tag, escaped(text));
}

QString options(const QList<help::Option> &list)
{
    QString out;
    for (const help::Option &o : list)
        out += tagged(optionLine(o), o.description);
    return out;
}

QString arguments(const QList<help::Positional> &list)
{
    QString out;
    for (const help::Positional &p : list)
        out += tagged(italic(p.syntax), p.description);
    return out;
}

QString entries(const QString &title, const QList<help::Entry> &list)
{
    if (list.isEmpty())
        return QString();
    QString out = QStringLiteral(".SH %1\n").arg(title);
    for (const help::Entry &e : list)
        out += tagged(bold(e.name), e.text);
    return out;
}

// The usage line of a command: "kestrun-cli table [options] FILE.brv2".
QString usage(const QString &program, const help::Command &c)
{
    QString line = bold(program + QLatin1Char(' ') + c.name) + QStringLiteral(" [") +
                   italic(QStringLiteral("options")) + QLatin1Char(']');
    for (const help::Positional &p : c.positionals)
        line += QLatin1Char(' ') + italic(p.syntax);
    return line;
}

QString synopsis(const help::Program &p)
{
    QString out = QStringLiteral(".SH SYNOPSIS\n");
    const QString name = p.command.name;
    if (p.subcommands.isEmpty())
        return out + bold(name) + QLatin1Char(' ') + escaped(p.usage) + QLatin1Char('\n');
    for (const help::Command &c : p.subcommands)
        out += usage(name, c) + QStringLiteral("\n.br\n");
    QStringList own;
    for (const help::Option &o : p.ownOptions)
        own << bold(QStringLiteral("--") + o.names.last());
    return out + bold(name) + QStringLiteral(" [") + own.join(QLatin1String(" | ")) +
           QStringLiteral("]\n");
}

QString subcommands(const help::Program &p)
{
    if (p.subcommands.isEmpty())
        return QString();
    QString out = QStringLiteral(".SH SUBCOMMANDS\n");
    for (const help::Command &c : p.subcommands) {
        out += QStringLiteral(".SS %1\n%2\n.PP\n%3\n").arg(escaped(c.name), usage(p.command.name, c),
                                                            escaped(c.description));
        out += arguments(c.positionals) + options(c.options) + options(p.subcommandOwnOptions);
    }
    return out;
}

QString examples(const QList<help::Example> &list)
{
    if (list.isEmpty())
        return QString();
    QString out = QStringLiteral(".SH EXAMPLES\n");
    for (const help::Example &e : list)
        out += QStringLiteral(".PP\n%1\n.RS 4\n.nf\n%2\n.fi\n.RE\n").arg(escaped(e.text),
                                                                          bold(e.command));
    return out;
}

} // namespace

QString render(const help::Program &p, const QString &version)
{
    const help::Command &c = p.command;
    QString out = QStringLiteral(".TH %1 1 \"\" \"%2\" \"User Commands\"\n")
                      .arg(escaped(c.name.toUpper()), escaped(version));
    out += QStringLiteral(".SH NAME\n%1 \\- %2\n").arg(escaped(c.name), escaped(c.summary));
    out += synopsis(p);
    out += QStringLiteral(".SH DESCRIPTION\n%1\n").arg(escaped(c.description));
    for (const QString &note : p.notes)
        out += QStringLiteral(".PP\n%1\n").arg(escaped(note));
    out += QStringLiteral(".SH OPTIONS\n") + arguments(c.positionals) + options(c.options) +
           options(p.ownOptions);
    out += subcommands(p);
    out += entries(QStringLiteral("EXIT STATUS"), p.exitStatus);
    out += entries(QStringLiteral("ENVIRONMENT"), p.environment);
    out += entries(QStringLiteral("FILES"), p.files);
    out += examples(p.examples);
    if (!p.seeAlso.isEmpty()) {
        QStringList refs;
        for (const QString &ref : p.seeAlso) {
            const qsizetype paren = ref.indexOf(QLatin1Char('('));
            refs << bold(ref.left(paren)) + escaped(ref.mid(paren));
        }
        out += QStringLiteral(".SH SEE ALSO\n%1\n").arg(refs.join(QLatin1String(", ")));
    }
    return out;
}

} // namespace manpage
