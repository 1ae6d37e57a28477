#include "analysis/summary.h"

#include "acquisition/conversions.h"
#include "analysis/analysis_texts.h"

#include <algorithm>
#include <cmath>

namespace analysis {

QString verdictText(Verdict v)
{
    switch (v) {
    case Verdict::Alarm:
        return analysistext::kVerdictAlarm;
    case Verdict::Ok:
        return analysistext::kVerdictOk;
    case Verdict::NoLimits:
        return analysistext::kVerdictNoLimits;
    }
    return {};
}

namespace {

// Mean kinetic temperature: ΔH/R in kelvin (ΔH = 83.14472 kJ/mol) and 0 °C in kelvin.
constexpr double kMktActivation = 10000.0;
constexpr double kZeroCelsius = 273.15;

// Seconds on the table's wall clock: the table steps its times back on the calendar, so
// steps and durations are counted the same way (and without a time-zone look-up per row).
qint64 wallSeconds(const QDateTime &t)
{
    return t.date().toJulianDay() * 86400 + t.time().msecsSinceStartOfDay() / 1000;
}

// The median step between consecutive readings (the lower middle one of an even count).
std::optional<qint64> medianStep(const std::vector<qint64> &seconds)
{
    if (seconds.size() < 2)
        return std::nullopt;
    std::vector<qint64> steps(seconds.size() - 1);
    for (size_t i = 0; i + 1 < seconds.size(); ++i)
        steps[i] = seconds[i + 1] - seconds[i];
    const auto mid = steps.begin() + std::ptrdiff_t((steps.size() - 1) / 2);
    std::nth_element(steps.begin(), mid, steps.end());
    return *mid;
}

// Groups the readings beyond one limit into excursions as the rows go by.
class ExcursionCounter
{
public:
    ExcursionCounter(double limit, bool aboveIt, qint64 interval)
        : m_aboveIt(aboveIt), m_interval(interval)
    {
        m_out.limit = limit;
    }

    // One row: its number, or none for "***" (which ends a run like a reading within limits).
    void add(const QDateTime &time, const std::optional<double> &v)
    {
        const bool beyond = v && (m_aboveIt ? *v > m_out.limit : *v < m_out.limit);
        if (!beyond) {
            m_inRun = false;
            return;
        }
        if (!m_inRun) {
            m_out.excursions.push_back({time, time, 0, 0, *v});
            m_inRun = true;
        }
        Excursion &e = m_out.excursions.back();
        e.end = time;
        ++e.readings;
        e.seconds += m_interval;
        e.extreme = m_aboveIt ? std::max(e.extreme, *v) : std::min(e.extreme, *v);
    }

    LimitOutcome finish(qint64 delaySeconds, AlarmType type)
    {
        for (const Excursion &e : m_out.excursions) {
            m_out.seconds += e.seconds;
            m_out.longestSeconds = std::max(m_out.longestSeconds, e.seconds);
        }
        const qint64 measured =
            type == AlarmType::Cumulative ? m_out.seconds : m_out.longestSeconds;
        m_out.alarm = !m_out.excursions.empty() && measured >= delaySeconds;
        return std::move(m_out);
    }

private:
    const bool m_aboveIt;
    const qint64 m_interval;
    bool m_inRun = false;
    LimitOutcome m_out;
};

// Statistics of one sensor's column, gathered in one pass (Welford's mean and variance).
class SensorStats
{
public:
    SensorStats(Quantity q, bool fahrenheit) : m_fahrenheit(fahrenheit)
    {
        m_out.quantity = q;
        m_out.unit = unit(q, fahrenheit);
    }

    void add(const QDateTime &time, const std::optional<double> &v)
    {
        if (!v) {
            ++m_out.invalid;
            return;
        }
        const double x = *v;
        if (!m_out.min || x < *m_out.min) {
            m_out.min = x;
            m_out.minAt = time;
        }
        if (!m_out.max || x > *m_out.max) {
            m_out.max = x;
            m_out.maxAt = time;
        }
        ++m_out.valid;
        const double d = x - m_mean;
        m_mean += d / m_out.valid;
        m_m2 += d * (x - m_mean);
        if (m_out.quantity == Quantity::Temperature) {
            // The Arrhenius weight is taken of each shown value back in °C.
            const double c = m_fahrenheit ? sensor::Conv_Celsius(x) : x;
            m_mktSum += std::exp(-kMktActivation / (c + kZeroCelsius));
        }
    }

    SensorSummary finish()
    {
        if (m_out.valid > 0) {
            m_out.mean = m_mean;
            m_out.sd = m_out.valid > 1 ? std::sqrt(m_m2 / (m_out.valid - 1)) : 0.0;
            if (m_out.quantity == Quantity::Temperature) {
                const double c = kMktActivation / -std::log(m_mktSum / m_out.valid) - kZeroCelsius;
                m_out.mkt = m_fahrenheit ? sensor::Conv_Faren(c) : c;
            }
        }
        return std::move(m_out);
    }

private:
    const bool m_fahrenheit;
    SensorSummary m_out;
    double m_mean = 0;
    double m_m2 = 0;
    double m_mktSum = 0;
};

// One sensor through the rows: statistics and the excursions beyond its limits.
SensorSummary summarizeSensor(const SummaryInput &in, Quantity q, bool humidityColumn,
                              const Limits &limits, qint64 interval)
{
    SensorStats stats(q, in.fahrenheit);
    const Bounds bounds = limits.shownBounds(q, in.fahrenheit);
    std::optional<ExcursionCounter> above, below;
    if (bounds.high)
        above.emplace(*bounds.high, true, interval);
    if (bounds.low)
        below.emplace(*bounds.low, false, interval);
    for (const SummaryRow &row : in.rows) {
        const std::optional<double> &v = humidityColumn ? row.humidity : row.value;
        stats.add(row.time, v);
        if (above)
            above->add(row.time, v);
        if (below)
            below->add(row.time, v);
    }
    SensorSummary s = stats.finish();
    s.limits = bounds;
    const qint64 delay = qint64(limits.delayMinutes) * 60;
    if (above)
        s.above = above->finish(delay, limits.type);
    if (below)
        s.below = below->finish(delay, limits.type);
    return s;
}

} // namespace

Summary summarize(const SummaryInput &in, const Limits &limits)
{
    Summary out;
    out.model = in.model;
    out.fahrenheit = in.fahrenheit;
    out.readings = int(in.rows.size());
    out.delayMinutes = limits.delayMinutes;
    out.alarmType = limits.type;
    if (!in.rows.empty()) {
        std::vector<qint64> seconds(in.rows.size());
        for (size_t i = 0; i < in.rows.size(); ++i)
            seconds[i] = wallSeconds(in.rows[i].time);
        out.first = in.rows.front().time;
        out.last = in.rows.back().time;
        out.durationSeconds = seconds.back() - seconds.front();
        out.intervalSeconds = medianStep(seconds);
    }

    const std::vector<Quantity> sensors = sensorsOf(in.model);
    for (size_t i = 0; i < sensors.size(); ++i)
        out.sensors.push_back(
            summarizeSensor(in, sensors[i], i == 1, limits, out.intervalSeconds.value_or(0)));

    for (const SummaryRow &row : in.rows) {
        const bool humidityMissing = sensors.size() > 1 && !row.humidity;
        if ((!sensors.empty() && !row.value) || humidityMissing)
            ++out.invalid;
    }

    bool anyLimit = false;
    bool anyAlarm = false;
    for (const SensorSummary &s : out.sensors) {
        anyLimit = anyLimit || s.limits.isSet();
        anyAlarm = anyAlarm || (s.above && s.above->alarm) || (s.below && s.below->alarm);
    }
    out.verdict = anyAlarm ? Verdict::Alarm : anyLimit ? Verdict::Ok : Verdict::NoLimits;
    return out;
}

} // namespace analysis
