#include "analysis/summary_output.h"

#include "analysis/analysis_texts.h"
#include "common/datetext.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "common/text_from_file.h"

#include <QStringList>

#include <utility>

namespace analysis {

namespace {

// Steps back in time listed one by one in the readable block; the rest are counted.
constexpr size_t kStepsBackListed = 5;

// --- JSON: values are written as text, members kept in the order given. ---

using Members = std::vector<std::pair<QString, QString>>;

const QString kNull = QStringLiteral("null");

QString jsonString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            // Beyond what JSON requires, DEL, the C1 controls and the line separators too: a
            // terminal showing the JSON takes no control character from a file.
            if (textfromfile::isControl(c.unicode()))
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString jsonObject(const Members &members, int indent)
{
    const QString pad(indent + 2, QLatin1Char(' '));
    QStringList lines;
    for (const auto &[key, value] : members)
        lines << pad + jsonString(key) + QStringLiteral(": ") + value;
    return QStringLiteral("{\n") + lines.join(QStringLiteral(",\n")) + QLatin1Char('\n') +
           QString(indent, QLatin1Char(' ')) + QLatin1Char('}');
}

// A measured number: always with a decimal point, so scripts read it as a real number; null
// for none, and for anything that is not a finite number (JSON has no such numbers).
QString jsonNumber(const std::optional<double> &raw)
{
    const std::optional<double> v = finite(raw);
    if (!v)
        return kNull;
    QString t = numfmt::plain(*v);
    if (!t.contains(QLatin1Char('.')) && !t.contains(QLatin1Char('e')))
        t += QStringLiteral(".0");
    return t;
}

QString jsonRounded(const std::optional<double> &raw)
{
    const std::optional<double> v = finite(raw);
    return v ? jsonNumber(numfmt::roundHalfEven(*v, 2)) : kNull;
}

// Items one a line; "[]" for none.
QString jsonArray(const QStringList &items, int indent)
{
    if (items.isEmpty())
        return QStringLiteral("[]");
    const QString pad(indent + 2, QLatin1Char(' '));
    return QStringLiteral("[\n") + pad + items.join(QStringLiteral(",\n") + pad) +
           QLatin1Char('\n') + QString(indent, QLatin1Char(' ')) + QLatin1Char(']');
}

QString jsonTime(const QDateTime &t)
{
    return t.isValid() ? jsonString(t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))) : kNull;
}

QString jsonBool(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

QString jsonOutcome(const std::optional<LimitOutcome> &o, int indent)
{
    if (!o)
        return kNull;
    return jsonObject({{QStringLiteral("events"), QString::number(o->events())},
                       {QStringLiteral("seconds"), QString::number(o->seconds)},
                       {QStringLiteral("first_at"), jsonTime(o->firstAt())},
                       {QStringLiteral("longest_s"), QString::number(o->longestSeconds)},
                       {QStringLiteral("alarm"), jsonBool(o->alarm)}},
                      indent);
}

QString jsonFailed(const SensorSummary &s, int indent)
{
    return jsonObject(
        {{QStringLiteral("readings"), QString::number(s.invalid)},
         {QStringLiteral("first_at"), jsonTime(s.firstFailedAt)},
         {QStringLiteral("longest_readings"), QString::number(s.longestFailed.readings)},
         {QStringLiteral("longest_s"), QString::number(s.longestFailed.seconds)},
         {QStringLiteral("longest_at"), jsonTime(s.longestFailed.start)}},
        indent);
}

QString jsonStepsBack(const std::vector<TimeStepBack> &steps, int indent)
{
    QStringList items;
    for (const TimeStepBack &step : steps)
        items << jsonObject({{QStringLiteral("row"), QString::number(step.row)},
                             {QStringLiteral("at"), jsonTime(step.at)},
                             {QStringLiteral("after"), jsonTime(step.after)}},
                            indent + 2);
    return jsonArray(items, indent);
}

QString jsonSensor(const Summary &sum, const SensorSummary &s, int indent)
{
    return jsonObject(
        {{QStringLiteral("unit"), jsonString(s.unit)},
         {QStringLiteral("min"), jsonNumber(s.min)},
         {QStringLiteral("min_at"), jsonTime(s.minAt)},
         {QStringLiteral("max"), jsonNumber(s.max)},
         {QStringLiteral("max_at"), jsonTime(s.maxAt)},
         {QStringLiteral("mean"), jsonRounded(s.mean)},
         {QStringLiteral("sd"), jsonRounded(s.sd)},
         {QStringLiteral("mkt"), jsonRounded(s.mkt)},
         {QStringLiteral("failed"), jsonFailed(s, indent + 2)},
         {QStringLiteral("high"), jsonNumber(s.limits.high)},
         {QStringLiteral("low"), jsonNumber(s.limits.low)},
         {QStringLiteral("delay_min"), QString::number(sum.delayMinutes)},
         {QStringLiteral("cumulative"), jsonBool(sum.alarmType == AlarmType::Cumulative)},
         {QStringLiteral("above"), jsonOutcome(s.above, indent + 2)},
         {QStringLiteral("below"), jsonOutcome(s.below, indent + 2)}},
        indent);
}

// --- The readable block. ---

QString timeText(const QDateTime &t)
{
    if (!t.isValid())
        return QStringLiteral("-");
    return datetext::dateText(t.date()) + QLatin1Char(' ') + datetext::timeText(t.time());
}

QString line(const QString &label, const QString &value, int indent = 0)
{
    constexpr int kLabelWidth = 16;
    return QString(indent, QLatin1Char(' ')) +
           (label + QLatin1Char(':')).leftJustified(kLabelWidth - indent) + value +
           QLatin1Char('\n');
}

QString valueAt(const SensorSummary &s, const std::optional<double> &raw, bool fahrenheit,
                const QDateTime &at)
{
    const std::optional<double> v = finite(raw);
    return v ? valueText(s.quantity, *v, fahrenheit) + QStringLiteral(" at ") + timeText(at)
             : QStringLiteral("-");
}

QString rounded(const std::optional<double> &raw)
{
    const std::optional<double> v = finite(raw);
    return v ? numfmt::plain(numfmt::roundHalfEven(*v, 2)) : QStringLiteral("-");
}

QString readingsText(int n)
{
    return n == 1 ? analysistext::kOneReading : analysistext::kReadings.arg(n);
}

QString outcomeText(const SensorSummary &s, const std::optional<LimitOutcome> &o, bool fahrenheit)
{
    if (!o)
        return QStringLiteral("none");
    QString t = valueText(s.quantity, o->limit, fahrenheit) + QStringLiteral("; ");
    if (o->noValidReading)
        t += analysistext::kNoValidReading;
    else if (o->events() == 0)
        t += analysistext::kNeverBeyond;
    else
        t += analysistext::kBeyond.arg(o->events())
                 .arg(durationText(o->seconds), timeText(o->firstAt()),
                      durationText(o->longestSeconds));
    if (const int failed = o->failedIncluded())
        t += QLatin1Char(' ') + failedIncludedText(failed);
    return t + QStringLiteral("; ") +
           (o->alarm ? analysistext::kLimitAlarm : analysistext::kLimitOk);
}

QString failedText(const SensorSummary &s)
{
    if (s.invalid == 0)
        return analysistext::kNoFailedReading;
    return analysistext::kFailedReadings.arg(
        readingsText(s.invalid), timeText(s.firstFailedAt), readingsText(s.longestFailed.readings),
        durationText(s.longestFailed.seconds), timeText(s.longestFailed.start));
}

QString stepsBackText(const std::vector<TimeStepBack> &steps)
{
    QString out;
    for (size_t i = 0; i < steps.size() && i < kStepsBackListed; ++i)
        out += line(analysistext::kNoteLabel,
                    analysistext::kTimeStepsBack.arg(steps[i].row)
                        .arg(timeText(steps[i].at), timeText(steps[i].after)));
    if (steps.size() > kStepsBackListed)
        out += line(analysistext::kNoteLabel,
                    analysistext::kMoreStepsBack.arg(steps.size() - kStepsBackListed));
    return out;
}

} // namespace

QString failedIncludedText(int failed)
{
    return failed == 1 ? analysistext::kOneFailedIncluded
                       : analysistext::kFailedIncluded.arg(failed);
}

QString durationText(qint64 seconds)
{
    const qint64 days = seconds / 86400;
    const qint64 rest = seconds % 86400;
    const QString hms = QStringLiteral("%1:%2:%3")
                            .arg(rest / 3600, 2, 10, QLatin1Char('0'))
                            .arg(rest / 60 % 60, 2, 10, QLatin1Char('0'))
                            .arg(rest % 60, 2, 10, QLatin1Char('0'));
    return days > 0 ? QStringLiteral("%1 d %2").arg(days).arg(hms) : hms;
}

QString momentText(const QDateTime &t)
{
    return timeText(t);
}

QByteArray summaryJson(const Summary &s, const RunHeader &header)
{
    Members sensors;
    for (const SensorSummary &sensor : s.sensors)
        sensors.emplace_back(key(sensor.quantity), jsonSensor(s, sensor, 4));
    const QString interval = s.intervalSeconds ? QString::number(*s.intervalSeconds) : kNull;
    const QString json =
        jsonObject({{QStringLiteral("serial"), jsonString(header.serial)},
                    {QStringLiteral("location"), jsonString(header.location)},
                    {QStringLiteral("model"), QString::number(s.model)},
                    {QStringLiteral("readings"), QString::number(s.readings)},
                    {QStringLiteral("invalid"), QString::number(s.invalid)},
                    {QStringLiteral("first"), jsonTime(s.first)},
                    {QStringLiteral("last"), jsonTime(s.last)},
                    {QStringLiteral("interval_s"), interval},
                    {QStringLiteral("steps_back"), jsonStepsBack(s.stepsBack, 2)},
                    {QStringLiteral("sensors"),
                     sensors.empty() ? QStringLiteral("{}") : jsonObject(sensors, 2)},
                    {QStringLiteral("status"), jsonString(verdictText(s.verdict))}},
                   0);
    return json.toUtf8() + '\n';
}

QString summaryText(const Summary &s, const RunHeader &header)
{
    QString out;
    // Both come from the file or the logger.
    out += line(QStringLiteral("Serial number"), textfromfile::shown(header.serial));
    out += line(QStringLiteral("Location"), textfromfile::shown(header.location));
    out += line(QStringLiteral("Model"), model::label(s.model));
    out += line(QStringLiteral("Readings"),
                QStringLiteral("%1 (%2 invalid)").arg(s.readings).arg(s.invalid));
    out += line(QStringLiteral("First reading"), timeText(s.first));
    out += line(QStringLiteral("Last reading"), timeText(s.last));
    out += line(QStringLiteral("Duration"), durationText(s.durationSeconds));
    out += line(QStringLiteral("Interval"),
                s.intervalSeconds ? durationText(*s.intervalSeconds) : QStringLiteral("-"));
    out += stepsBackText(s.stepsBack);
    for (const SensorSummary &sensor : s.sensors) {
        out +=
            caption(sensor.quantity) + QStringLiteral(" (") + sensor.unit + QStringLiteral(")\n");
        out += line(QStringLiteral("Minimum"),
                    valueAt(sensor, sensor.min, s.fahrenheit, sensor.minAt), 2);
        out += line(QStringLiteral("Maximum"),
                    valueAt(sensor, sensor.max, s.fahrenheit, sensor.maxAt), 2);
        out += line(QStringLiteral("Mean"), rounded(sensor.mean), 2);
        out += line(QStringLiteral("SD"), rounded(sensor.sd), 2);
        if (sensor.quantity == Quantity::Temperature)
            out += line(QStringLiteral("MKT"), rounded(sensor.mkt), 2);
        out +=
            line(QStringLiteral("High limit"), outcomeText(sensor, sensor.above, s.fahrenheit), 2);
        out +=
            line(QStringLiteral("Low limit"), outcomeText(sensor, sensor.below, s.fahrenheit), 2);
        out += line(analysistext::kFailedLabel, failedText(sensor), 2);
    }
    out += line(QStringLiteral("Alarm delay"),
                QStringLiteral("%1 min, %2")
                    .arg(s.delayMinutes)
                    .arg(s.alarmType == AlarmType::Cumulative ? QStringLiteral("cumulative")
                                                              : QStringLiteral("single")));
    out += line(QStringLiteral("Status"), verdictText(s.verdict));
    return out;
}

} // namespace analysis
