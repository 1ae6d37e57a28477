#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A libpq connection string, keywords ("host=db dbname=loggers") or a URI
// ("postgresql://db/loggers"), read by libpq's own parser. It knows which of its values are
// secrets (libpq marks them: password, sslpassword, a URI's password), so that nothing shown
// to a user or written to a log can hold one, and it adds the deadlines every connection of the
// archive needs where the user set none.
namespace archive {

class ConnectionString
{
public:
    // nullopt when libpq cannot read the text, or when a URI's user part is ambiguous (an '@'
    // or '/' in the password that is not percent-encoded: libpq would take part of the password
    // for the host or the database). `why`, when given, says why without quoting the text.
    static std::optional<ConnectionString> parse(const QString &text, QString *why = nullptr);

    // The text as given when it holds no secret, else its settings without the secrets.
    QString shown() const;
    // True when the text itself holds a secret.
    bool holdsSecret() const;
    // The secrets a message about this connection must not contain: those of the text and
    // those libpq takes from its environment (PGPASSWORD).
    const QStringList &secrets() const { return m_secrets; }
    // The key='value' pairs for Qt's driver: every setting of the text, then each deadline
    // keyword that neither the text nor libpq's environment sets (theirs wins).
    QString forDriver() const;

private:
    struct Setting
    {
        QString keyword;
        QString value;
        bool secret = false;
    };
    QString m_text;
    QList<Setting> m_settings;
    QStringList m_secrets;
    QStringList m_fromEnvironment; // keywords libpq's environment variables set
};

// The one way a connection string is shown: without any secret, or a placeholder for a text
// libpq cannot read (nothing of it can be shown safely).
QString shownConnection(const QString &text);

// `message` with every secret of the connection replaced by "***" (libpq's own messages can
// quote parts of the connection string).
QString withoutSecrets(QString message, const QStringList &secrets);

} // namespace archive
