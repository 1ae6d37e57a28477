#include "tools/logger-sim/logger_state.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>

namespace loggersim {

namespace {

int daysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 31;
    return QDate(year, month, 1).daysInMonth();
}

const char *kTimeFormat = "yyyy-MM-ddTHH:mm:ss";

QString timeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(QLatin1String(kTimeFormat)) : QString();
}

QDateTime parseTime(const QString &s)
{
    QDateTime t = QDateTime::fromString(s, QLatin1String(kTimeFormat));
    t.setTimeSpec(Qt::UTC); // logger time carries no zone; UTC keeps arithmetic free of DST
    return t;
}

} // namespace

RtcTime RtcTime::fromDateTime(const QDateTime &t)
{
    RtcTime r;
    r.year = t.date().year();
    r.month = t.date().month();
    r.day = t.date().day();
    r.hour = t.time().hour();
    r.minute = t.time().minute();
    r.second = t.time().second();
    return r;
}

QDateTime RtcTime::toDateTime() const
{
    const int m = std::clamp(month, 1, 12);
    QDateTime t(QDate(year, m, 1), QTime(0, 0), Qt::UTC);
    return t.addDays(day - 1).addSecs(qint64(hour) * 3600 + qint64(minute) * 60 + second);
}

void RtcTime::advance(qint64 seconds)
{
    if (seconds <= 0)
        return;
    qint64 s = second + seconds;
    second = int(s % 60);
    qint64 m = minute + s / 60;
    minute = int(m % 60);
    qint64 h = hour + m / 60;
    hour = int(h % 24);
    for (qint64 d = h / 24; d > 0; --d) {
        if (++day > daysInMonth(year, month)) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
}

namespace model {

bool isKnown(quint8 c)
{
    return (c >= 1 && c <= 8) || c == RV420;
}

bool isHumidity(quint8 c) { return c == RV210 || c == RV220; }

bool isTemperature(quint8 c)
{
    return c == RV110 || c == RV120 || c == RV120b || c == RV310 || c == RV320;
}

int wordsPerReading(quint8 c) { return isHumidity(c) ? 2 : 1; }

QString label(quint8 c)
{
    switch (c) {
    case RV110: return QStringLiteral("RV-110");
    case RV210: return QStringLiteral("RV-210");
    case RV410: return QStringLiteral("RV-410");
    case RV120:
    case RV120b: return QStringLiteral("RV-120");
    case RV220: return QStringLiteral("RV-220");
    case RV310: return QStringLiteral("RV-310");
    case RV320: return QStringLiteral("RV-320");
    case RV420: return QStringLiteral("RV-420(CO2 0-2000 PPM)");
    default: return QStringLiteral("unknown");
    }
}

} // namespace model

qint64 LoggerState::intervalSeconds() const
{
    switch (intervalUnit) {
    case 'S': return intervalCount;
    case 'M': return qint64(intervalCount) * 60;
    case 'H': return qint64(intervalCount) * 3600;
    default: return 0;
    }
}

int LoggerState::capacityWords() const { return kMemoryBytes / 2; }

int LoggerState::storedBytes() const { return std::min<int>(int(words.size()) * 2, kMemoryBytes); }

void LoggerState::setLocation(const QByteArray &text)
{
    location = text.left(16);
    location.append(QByteArray(16 - location.size(), ' '));
}

void LoggerState::clearReadings()
{
    words.clear();
    memoryFull = false;
    newestReading = QDateTime();
}

QJsonObject LoggerState::toJson() const
{
    QJsonObject o;
    o[QStringLiteral("model")] = model;
    o[QStringLiteral("started")] = started;
    o[QStringLiteral("waiting")] = waiting;
    o[QStringLiteral("memoryFull")] = memoryFull;
    o[QStringLiteral("intervalUnit")] = QString(QLatin1Char(intervalUnit));
    o[QStringLiteral("intervalCount")] = intervalCount;
    o[QStringLiteral("clock")] =
        QJsonArray{clock.year, clock.month, clock.day, clock.hour, clock.minute, clock.second};
    o[QStringLiteral("idBytes")] = QJsonArray{idBytes[0], idBytes[1], idBytes[2]};
    o[QStringLiteral("serial")] = serial;
    o[QStringLiteral("location")] = QString::fromLatin1(location);
    QJsonArray w;
    for (quint16 v : words)
        w.append(v);
    o[QStringLiteral("words")] = w;
    o[QStringLiteral("newestReading")] = timeText(newestReading);
    QList<int> failed(failedReadings.cbegin(), failedReadings.cend());
    std::sort(failed.begin(), failed.end());
    QJsonArray f;
    for (int i : failed)
        f.append(i);
    o[QStringLiteral("failedReadings")] = f;
    o[QStringLiteral("secondsToNextReading")] = secondsToNextReading;
    o[QStringLiteral("secondsToStart")] = secondsToStart;
    return o;
}

std::optional<LoggerState> LoggerState::fromJson(const QJsonObject &o, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<LoggerState> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    LoggerState s;
    const int m = o.value(QStringLiteral("model")).toInt(-1);
    if (m < 0 || m > 255 || !model::isKnown(quint8(m)))
        return fail(QStringLiteral("unknown model code %1").arg(m));
    s.model = quint8(m);
    s.started = o.value(QStringLiteral("started")).toBool();
    s.waiting = o.value(QStringLiteral("waiting")).toBool();
    s.memoryFull = o.value(QStringLiteral("memoryFull")).toBool();
    const QString unit = o.value(QStringLiteral("intervalUnit")).toString();
    s.intervalUnit = unit.isEmpty() ? 'M' : unit.at(0).toLatin1();
    s.intervalCount = std::clamp(o.value(QStringLiteral("intervalCount")).toInt(1), 0, 99);
    const QJsonArray c = o.value(QStringLiteral("clock")).toArray();
    if (c.size() != 6)
        return fail(QStringLiteral("clock needs six numbers"));
    s.clock = {c[0].toInt(), c[1].toInt(), c[2].toInt(), c[3].toInt(), c[4].toInt(), c[5].toInt()};
    const QJsonArray id = o.value(QStringLiteral("idBytes")).toArray();
    for (int i = 0; i < 3 && i < id.size(); ++i)
        s.idBytes[size_t(i)] = quint8(id[i].toInt());
    s.serial = quint16(o.value(QStringLiteral("serial")).toInt(kNoSerial));
    s.setLocation(o.value(QStringLiteral("location")).toString().toLatin1());
    const QJsonArray w = o.value(QStringLiteral("words")).toArray();
    for (const auto &v : w)
        s.words.append(quint16(v.toInt()));
    if (s.words.size() > s.capacityWords())
        return fail(QStringLiteral("more readings than the memory holds"));
    s.newestReading = parseTime(o.value(QStringLiteral("newestReading")).toString());
    for (const auto &v : o.value(QStringLiteral("failedReadings")).toArray())
        s.failedReadings.insert(v.toInt());
    s.secondsToNextReading = o.value(QStringLiteral("secondsToNextReading")).toInteger();
    s.secondsToStart = o.value(QStringLiteral("secondsToStart")).toInteger();
    return s;
}

} // namespace loggersim

namespace loggersim {

std::optional<QSet<int>> parseReadingList(const QString &text)
{
    QSet<int> out;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        bool okFrom = false, okTo = false;
        const int from = ends.value(0).trimmed().toInt(&okFrom);
        const int to = ends.size() == 2 ? ends.value(1).trimmed().toInt(&okTo) : from;
        if (!okFrom || (ends.size() == 2 && !okTo) || ends.size() > 2 || from < 0 || to < from ||
            to >= LoggerState::kMemoryBytes / 2)
            return std::nullopt;
        for (int i = from; i <= to; ++i)
            out.insert(i);
    }
    return out;
}

bool saveStateFile(const QString &path, const LoggerState &state, QString *error)
{
    QJsonObject o = state.toJson();
    o[QStringLiteral("savedAt")] = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.write(QJsonDocument(o).toJson(QJsonDocument::Indented));
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

std::optional<LoggerState> loadStateFile(const QString &path, qint64 *secondsAway, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return std::nullopt;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
    if (!doc.isObject()) {
        if (error)
            *error = pe.errorString();
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    if (secondsAway) {
        const QDateTime saved =
            QDateTime::fromString(o.value(QStringLiteral("savedAt")).toString(), Qt::ISODate);
        *secondsAway = saved.isValid()
                           ? std::max<qint64>(0, saved.secsTo(QDateTime::currentDateTimeUtc()))
                           : 0;
    }
    return LoggerState::fromJson(o, error);
}

} // namespace loggersim
