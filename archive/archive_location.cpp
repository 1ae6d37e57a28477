#include "archive/archive_location.h"

#include "archive/archive_texts.h"
#include "archive/connection_string.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace archive {
namespace {

const QString kSettingKey = QStringLiteral("archive/connection");

// The window's settings, shared with kestrun-cli (whose application name differs).
std::unique_ptr<QSettings> settings()
{
    return std::make_unique<QSettings>(QStringLiteral("Brivak"), QStringLiteral("Kestrun"));
}

bool isConnectionString(const QString &text)
{
    static const QRegularExpression uri(QStringLiteral("^postgres(ql)?://"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression keyword(QStringLiteral("^\\s*\\w+\\s*="));
    return uri.match(text).hasMatch() || keyword.match(text).hasMatch();
}

Location fileIn(const QString &folder)
{
    return {Location::Kind::SQLite, QDir(folder).absoluteFilePath(QLatin1String(kFileName))};
}

// The location a setting names, refused when it holds a password: KESTRUN_ARCHIVE is held to
// the Archive dialog's rule, and so is a setting edited by hand.
Location checked(const QString &setting)
{
    Location location = locationFrom(setting);
    location.refused = refusalOf(setting);
    return location;
}

} // namespace

Location locationFrom(const QString &text)
{
    if (isConnectionString(text))
        return {Location::Kind::PostgreSQL, text.trimmed()};
    return fileIn(text);
}

Location chosenLocation()
{
    if (const QString env = qEnvironmentVariable(kEnvironment); !env.isEmpty())
        return checked(env);
    return storedLocation();
}

Location storedLocation()
{
    if (const QString stored = storedChoice(); !stored.isEmpty())
        return checked(stored);
    return fileIn(defaultFolder());
}

Location localLocation()
{
    const QString env = qEnvironmentVariable(kEnvironment);
    if (!env.isEmpty() && !isConnectionString(env))
        return fileIn(env);
    return fileIn(defaultFolder());
}

QString defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Brivak/Kestrun"));
}

QString storedChoice()
{
    return settings()->value(kSettingKey).toString();
}

void setStoredChoice(const QString &connection)
{
    const auto s = settings();
    if (connection.trimmed().isEmpty())
        s->remove(kSettingKey);
    else
        s->setValue(kSettingKey, connection.trimmed());
}

} // namespace archive

namespace archive {

QString describe(const Location &location)
{
    return location.isShared() ? shownConnection(location.where) : location.where;
}

QString refusalOf(const QString &connection)
{
    const Location location = locationFrom(connection);
    if (!location.isShared())
        return QString();
    QString why;
    const auto parsed = ConnectionString::parse(location.where, &why);
    if (!parsed)
        return archivetext::kBadConnection.arg(archivetext::kConnectionNotShown, why);
    return parsed->holdsSecret() ? archivetext::kHoldsPassword : QString();
}

bool holdsPassword(const QString &connection)
{
    const Location location = locationFrom(connection);
    if (!location.isShared())
        return false;
    const auto parsed = ConnectionString::parse(location.where);
    return !parsed || parsed->holdsSecret();
}

} // namespace archive
