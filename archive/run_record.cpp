#include "archive/run_record.h"

#include "archive/archive_texts.h"
#include "common/datetext.h"
#include "common/numfmt.h"
#include "common/sha256.h"
#include "common/text_from_file.h"

#include <QStringList>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace archive {

void setBytes(RunRecord &record, const QByteArray &bytes)
{
    record.bytes = bytes;
    record.sha256 = sha256Hex(bytes);
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
    if (!t.isValid())
        return QString();
    const QDate d = t.date();
    const QTime h = t.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d", d.year(), d.month(), d.day(),
                             h.hour(), h.minute(), h.second());
}

QString shownTime(const QDateTime &t)
{
    return t.isValid() ? datetext::dateText(t.date()) + QLatin1Char(' ') + datetext::timeText(t.time())
                       : QString();
}

QString shownSerial(int serial)
{
    return serial < 0 ? QString() : numfmt::picture(serial, "#0000");
}

QString shownVerdict(const RunRecord &run)
{
    if (!run.withdrawn)
        return run.status.value_or(QString());
    return run.status ? archivetext::kWithdrawnVerdict.arg(*run.status) : archivetext::kWithdrawnMark;
}

QString runName(const RunRecord &run)
{
    QStringList logger;
    if (run.serial >= 0)
        logger << shownSerial(run.serial);
    if (!run.location.isEmpty())
        logger << textfromfile::shown(run.location);
    const QString span = archivetext::kRunSpan.arg(shownTime(run.first), shownTime(run.last));
    return logger.isEmpty() ? span : logger.join(QLatin1Char(' ')) + QStringLiteral(" \u2013 ") + span;
}

QString runTitle(const RunRecord &run)
{
    return archivetext::kRunTitle.arg(runName(run));
}

QDateTime parseTime(QStringView text)
{
    // Read by hand: a list of thousands of runs reads three times a run, and Qt's format
    // parser takes tens of microseconds a time.
    const auto number = [text](qsizetype at, qsizetype digits) {
        int n = 0;
        for (qsizetype i = at; i < at + digits; ++i) {
            const int d = text.at(i).unicode() - '0';
            if (d < 0 || d > 9)
                return -1;
            n = 10 * n + d;
        }
        return n;
    };
    const bool fraction = (text.size() == 23 || (text.size() == 24 && text.at(23) == u'Z')) &&
                          text.at(19) == u'.';
    if ((text.size() != 19 && !fraction) || text.at(4) != u'-' || text.at(7) != u'-' || text.at(10) != u'T' ||
        text.at(13) != u':' || text.at(16) != u':')
        return QDateTime();
    const int ms = fraction ? number(20, 3) : 0;
    const QDate d(number(0, 4), number(5, 2), number(8, 2));
    const QTime t(number(11, 2), number(14, 2), number(17, 2), ms);
    if (!d.isValid() || !t.isValid())
        return QDateTime();
    return QDateTime(d, t, Qt::UTC);
}

} // namespace archive
