#include "archive/connection_string.h"

#include "archive/archive_texts.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace archive {
namespace {

// What every connection gets unless the user set it. A server that accepts a connection and
// never answers: connecting gives up after 5 s. A connection waiting on a server gone from the
// network: probes after 5 s of silence, one every 2 s, three unanswered end it; data sent that
// the network never acknowledges ends it after 10 s. (A server that stalls with its network
// still up answers none of these; the archive's own deadline on each command ends that.)
const std::pair<const char *, const char *> kDeadlines[] = {
    {"connect_timeout", "5"},    {"keepalives_idle", "5"},       {"keepalives_interval", "2"},
    {"keepalives_count", "3"},   {"tcp_user_timeout", "10000"},
};

const QLatin1String kUriPrefixes[] = {QLatin1String("postgresql://"), QLatin1String("postgres://")};

// A URI whose user part libpq would split differently from what its writer meant: a second
// '@', or a '/' before the '@' ("postgresql://u:p@ss@host", "postgresql://u:se/cret@host"),
// where libpq takes part of the password for the host, the port or the database.
bool ambiguousUserPart(const QString &text)
{
    for (const QLatin1String &prefix : kUriPrefixes) {
        if (!text.startsWith(prefix))
            continue;
        QString rest = text.mid(prefix.size());
        if (const qsizetype query = rest.indexOf(QLatin1Char('?')); query >= 0)
            rest.truncate(query);
        const qsizetype at = rest.lastIndexOf(QLatin1Char('@'));
        return at >= 0 && (rest.indexOf(QLatin1Char('@')) != at ||
                           rest.left(at).contains(QLatin1Char('/')));
    }
    return false;
}

// libpq's reason with what it quotes of the text left out: a token it could not read may be
// part of a password written without quotes.
QString withoutQuotedParts(const QString &reason)
{
    QString out;
    qsizetype from = 0;
    for (qsizetype open; (open = reason.indexOf(QLatin1Char('"'), from)) >= 0;) {
        const qsizetype close = reason.indexOf(QLatin1Char('"'), open + 1);
        if (close < 0)
            break;
        out += reason.mid(from, open - from);
        // One character ("=", "]") says what was missing and cannot be a secret.
        out += close - open == 2 ? reason.mid(open, 3) : QStringLiteral("\"\u2026\"");
        from = close + 1;
    }
    return out + reason.mid(from);
}

// One key=value pair as libpq reads it back, quoted where the value needs it.
QString pair(const QString &keyword, QString value)
{
    const bool plain = !value.isEmpty() && std::none_of(value.cbegin(), value.cend(), [](QChar c) {
        return c.isSpace() || c == QLatin1Char('\'') || c == QLatin1Char('\\');
    });
    if (!plain)
        value = QLatin1Char('\'') +
                value.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
                    .replace(QLatin1Char('\''), QLatin1String("\\'")) +
                QLatin1Char('\'');
    return keyword + QLatin1Char('=') + value;
}

bool isSecret(const PQconninfoOption &option) { return std::strchr(option.dispchar, '*') != nullptr; }

} // namespace

std::optional<ConnectionString> ConnectionString::parse(const QString &text, QString *why)
{
    const auto refuse = [why](const QString &reason) {
        if (why)
            *why = reason;
        return std::optional<ConnectionString>();
    };
    if (ambiguousUserPart(text))
        return refuse(archivetext::kAmbiguousUri);
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(text.toUtf8().constData(), &error);
    if (!options) {
        const QString reason = error ? withoutQuotedParts(QString::fromUtf8(error).trimmed())
                                     : archivetext::kNoMemory;
        PQfreemem(error);
        return refuse(reason);
    }
    ConnectionString c;
    c.m_text = text.trimmed();
    for (const PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        c.m_settings.append({QString::fromUtf8(o->keyword), QString::fromUtf8(o->val), isSecret(*o)});
        if (c.m_settings.last().secret)
            c.m_secrets << c.m_settings.last().value;
    }
    PQconninfoFree(options);
    if (PQconninfoOption *defaults = PQconndefaults()) {
        for (const PQconninfoOption *o = defaults; o->keyword; ++o) {
            if (!o->envvar || !qEnvironmentVariableIsSet(o->envvar))
                continue;
            c.m_fromEnvironment << QString::fromUtf8(o->keyword);
            if (isSecret(*o) && o->val)
                c.m_secrets << QString::fromUtf8(o->val);
        }
        PQconninfoFree(defaults);
    }
    c.m_secrets.removeAll(QString());
    // The longest first, so no secret is left half replaced where it holds a shorter one.
    std::sort(c.m_secrets.begin(), c.m_secrets.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    return c;
}

bool ConnectionString::holdsSecret() const
{
    return std::any_of(m_settings.cbegin(), m_settings.cend(), [](const Setting &s) { return s.secret; });
}

QString ConnectionString::shown() const
{
    if (!holdsSecret())
        return m_text;
    QStringList pairs;
    for (const Setting &s : m_settings)
        if (!s.secret)
            pairs << pair(s.keyword, s.value);
    return pairs.join(QLatin1Char(' '));
}

QString ConnectionString::forDriver() const
{
    QStringList pairs;
    QStringList set = m_fromEnvironment;
    for (const Setting &s : m_settings) {
        pairs << pair(s.keyword, s.value);
        set << s.keyword;
    }
    for (const auto &[keyword, value] : kDeadlines)
        if (!set.contains(QLatin1String(keyword)))
            pairs << pair(QLatin1String(keyword), QLatin1String(value));
    return pairs.join(QLatin1Char(' '));
}

QString shownConnection(const QString &text)
{
    const auto c = ConnectionString::parse(text);
    return c ? c->shown() : archivetext::kConnectionNotShown;
}

QString withoutSecrets(QString message, const QStringList &secrets)
{
    for (const QString &secret : secrets)
        message.replace(secret, QLatin1String("***"));
    return message;
}

} // namespace archive
