#include "archive/run_record.h"

#include <QCryptographicHash>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace archive {

QString sourceName(Source source)
{
    switch (source) {
    case Source::Download:
        return QStringLiteral("download");
    case Source::Live:
        return QStringLiteral("live");
    case Source::Import:
        return QStringLiteral("import");
    }
    return QString();
}

std::optional<Source> sourceFromName(const QString &name)
{
    for (const Source s : {Source::Download, Source::Live, Source::Import})
        if (name == sourceName(s))
            return s;
    return std::nullopt;
}

void setBytes(RunRecord &record, const QByteArray &bytes)
{
    record.bytes = bytes;
    record.sha256 = QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    record.key = record.sha256.left(16);
}

QString computerName() { return QSysInfo::machineHostName(); }

QString userName()
{
    for (const char *name : {"USER", "LOGNAME", "USERNAME"})
        if (const QString v = qEnvironmentVariable(name); !v.isEmpty())
            return v;
#ifdef Q_OS_UNIX
    // A cron job or a service may run without those variables.
    if (const passwd *p = getpwuid(geteuid()))
        return QString::fromLocal8Bit(p->pw_name);
#endif
    return QStringLiteral("");
}

QString timeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

QDateTime parseTime(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

} // namespace archive
