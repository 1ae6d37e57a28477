#include "analysis/summary.h"

#include "acquisition/conversions.h"
#include "analysis/analysis_texts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>

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
    case Verdict::NoData:
        return analysistext::kVerdictNoData;
    }
    return {};
}

QDateTime LimitOutcome::firstAt() const
{
    QDateTime first;
    for (const Excursion &e : excursions)
        if (!first.isValid() || e.start < first)
            first = e.start;
    return first;
}

int LimitOutcome::failedIncluded() const
{
    int n = 0;
    for (const Excursion &e : excursions)
        n += e.failed;
    return n;
}

namespace {

// Mean kinetic temperature: ΔH/R in kelvin (ΔH = 83.14472 kJ/mol) and 0 °C in kelvin.
constexpr double kMktActivation = 10000.0;
constexpr double kZeroCelsius = 273.15;

// Seconds on the table's wall clock: the table steps its times back on the calendar, so
// steps and durations are counted the same way (and without a time-zone look-up per row).
qint64 wallSeconds(const QDateTime &t)
{
    // The table's times are kept as UTC: their wall clock is the count from the epoch, with
    // no calendar worked out for each of a million rows.
    if (t.timeSpec() == Qt::UTC) {
        constexpr qint64 kEpochDay = 2440588; // 1970-01-01 as a Julian day
        const qint64 ms = t.toMSecsSinceEpoch();
        return kEpochDay * 86400 + (ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000));
    }
    return t.date().toJulianDay() * 86400 + t.time().msecsSinceStartOfDay() / 1000;
}

// The wall-clock seconds of the first row that has a time; 0 when none has.
qint64 firstValid(const std::vector<SummaryRow> &rows)
{
    for (const SummaryRow &r : rows)
        if (r.time.isValid())
            return wallSeconds(r.time);
    return 0;
}

// The number of one sensor's cell; none for "***" and for anything no sensor can read.
std::optional<double> readingOf(const SummaryRow &row, bool humidityColumn)
{
    return finite(humidityColumn ? row.humidity : row.value);
}

// The reading times of the rows, in row order, and what is worked out from them alone.
class RowTimes
{
public:
    explicit RowTimes(const std::vector<SummaryRow> &rows) : m_rows(rows), m_wall(rows.size())
    {
        // A row without a time (none the program reads, but the table allows it) stands at
        // the time of the row before it, or of the first row with a time: a step of zero,
        // which neither the interval nor any duration counts.
        qint64 last = firstValid(rows);
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].time.isValid())
                last = wallSeconds(rows[i].time);
            m_wall[i] = last;
        }
    }

    size_t size() const { return m_wall.size(); }
    const QDateTime &time(size_t row) const { return m_rows[row].time; }
    bool earlier(size_t a, size_t b) const { return m_wall[a] < m_wall[b]; }

    // The rows of the earliest and the latest time among rows first..last: rows out of order
    // never make a span run backwards.
    std::pair<size_t, size_t> span(size_t first, size_t last) const
    {
        size_t lo = first, hi = first;
        for (size_t i = first + 1; i <= last; ++i) {
            if (m_wall[i] < m_wall[lo])
                lo = i;
            if (m_wall[i] > m_wall[hi])
                hi = i;
        }
        return {lo, hi};
    }
    qint64 seconds(size_t first, size_t last) const
    {
        const auto [lo, hi] = span(first, last);
        return m_wall[hi] - m_wall[lo];
    }

    // The median length of the steps that move the time (the lower middle one of an even
    // count): a clock that stands still or goes back makes no interval short or negative.
    std::optional<qint64> medianStep() const
    {
        // Counted by length: a run of weeks has millions of steps of a handful of lengths.
        // Times all over the place are sorted out one by one instead.
        constexpr size_t kMostLengths = 4096;
        std::map<qint64, qint64> counts;
        qint64 steps = 0;
        auto last = counts.end();
        for (size_t i = 1; i < m_wall.size(); ++i) {
            if (m_wall[i] == m_wall[i - 1])
                continue;
            const qint64 length = std::abs(m_wall[i] - m_wall[i - 1]);
            if (last == counts.end() || last->first != length) {
                if (counts.size() >= kMostLengths)
                    return medianOfAllSteps();
                last = counts.try_emplace(length, 0).first;
            }
            ++last->second;
            ++steps;
        }
        if (steps == 0)
            return std::nullopt;
        qint64 below = 0;
        for (const auto &[length, count] : counts) {
            below += count;
            if (below > (steps - 1) / 2)
                return length;
        }
        return std::nullopt;
    }

    std::vector<TimeStepBack> stepsBack() const
    {
        std::vector<TimeStepBack> out;
        for (size_t i = 1; i < m_wall.size(); ++i)
            if (m_wall[i] < m_wall[i - 1])
                out.push_back({int(i) + 1, m_rows[i].time, m_rows[i - 1].time});
        return out;
    }

private:
    qint64 medianOfAllSteps() const
    {
        std::vector<qint64> steps;
        steps.reserve(m_wall.size());
        for (size_t i = 1; i < m_wall.size(); ++i)
            if (m_wall[i] != m_wall[i - 1])
                steps.push_back(std::abs(m_wall[i] - m_wall[i - 1]));
        const auto mid = steps.begin() + std::ptrdiff_t((steps.size() - 1) / 2);
        std::nth_element(steps.begin(), mid, steps.end());
        return *mid;
    }

    const std::vector<SummaryRow> &m_rows;
    std::vector<qint64> m_wall;
};

// Groups the readings beyond one limit into excursions as the rows go by. A valid reading
// beyond the limit starts or continues an excursion; a valid reading within the limit ends it
// after its last reading beyond; a failed reading does neither, so failed readings between
// two readings beyond belong to the excursion, and failed readings before a reading within
// the limit belong to none.
class ExcursionCounter
{
public:
    ExcursionCounter(double limit, bool aboveIt, qint64 interval, const RowTimes &times)
        : m_aboveIt(aboveIt), m_interval(interval), m_times(times)
    {
        m_out.limit = limit;
    }

    void add(size_t row, const std::optional<double> &v)
    {
        if (!v)
            return;
        if (!(m_aboveIt ? *v > m_out.limit : *v < m_out.limit)) {
            close(m_lastBeyond);
            return;
        }
        if (!m_open) {
            m_open = true;
            m_first = row;
            m_beyond = 0;
            m_extreme = *v;
        }
        m_lastBeyond = row;
        ++m_beyond;
        m_extreme = m_aboveIt ? std::max(m_extreme, *v) : std::min(m_extreme, *v);
    }

    LimitOutcome finish(qint64 delaySeconds, AlarmType type)
    {
        // Failed readings that end the recording: nothing says the goods came back.
        if (m_times.size() > 0)
            close(m_times.size() - 1);
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
    // The open excursion, if any, ends with row `last`.
    void close(size_t last)
    {
        if (!m_open)
            return;
        m_open = false;
        Excursion e;
        const auto [earliest, latest] = m_times.span(m_first, last);
        e.start = m_times.time(earliest);
        e.end = m_times.time(latest);
        e.readings = int(last - m_first + 1);
        e.failed = e.readings - m_beyond;
        e.seconds = e.readings * m_interval;
        e.extreme = m_extreme;
        m_out.excursions.push_back(e);
    }

    const bool m_aboveIt;
    const qint64 m_interval;
    const RowTimes &m_times;
    bool m_open = false;
    size_t m_first = 0;      // the open excursion's first row
    size_t m_lastBeyond = 0; // and its last valid reading beyond the limit
    int m_beyond = 0;        // its valid readings
    double m_extreme = 0;
    LimitOutcome m_out;
};

// The runs of one sensor's failed readings: the earliest of them and the longest run.
class FailureCounter
{
public:
    FailureCounter(qint64 interval, const RowTimes &times) : m_interval(interval), m_times(times) {}

    void add(size_t row, bool failed)
    {
        if (!failed) {
            close(row);
            return;
        }
        if (!m_open) {
            m_open = true;
            m_first = row;
        }
    }

    void finish(SensorSummary &s)
    {
        close(m_times.size());
        if (m_earliest)
            s.firstFailedAt = m_times.time(*m_earliest);
        s.longestFailed = m_longest;
    }

private:
    // The open run ends before row `end`.
    void close(size_t end)
    {
        if (!m_open)
            return;
        m_open = false;
        const size_t start = m_times.span(m_first, end - 1).first;
        if (!m_earliest || m_times.earlier(start, *m_earliest))
            m_earliest = start;
        const int readings = int(end - m_first);
        if (readings > m_longest.readings)
            m_longest = {m_times.time(start), readings, readings * m_interval};
    }

    const qint64 m_interval;
    const RowTimes &m_times;
    bool m_open = false;
    size_t m_first = 0;
    std::optional<size_t> m_earliest; // the row of the earliest failed reading
    FailedRun m_longest;
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
            m_mktSum += arrheniusWeight(x);
        }
    }

    // Figures that overflow (readings far beyond any sensor's range) are left unset.
    SensorSummary finish()
    {
        if (m_out.valid > 0) {
            m_out.mean = finite(m_mean);
            m_out.sd = finite(m_out.valid > 1 ? std::sqrt(m_m2 / (m_out.valid - 1)) : 0.0);
            if (m_out.quantity == Quantity::Temperature) {
                const double c = kMktActivation / -std::log(m_mktSum / m_out.valid) - kZeroCelsius;
                m_out.mkt = finite(m_fahrenheit ? sensor::Conv_Faren(c) : c);
            }
        }
        return std::move(m_out);
    }

private:
    // A sensor reads few distinct values, one decimal apart: the weight of each is worked out
    // once and kept in a small table by value.
    double arrheniusWeight(double shown)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &shown, sizeof bits);
        Weight &w = m_weights[(bits ^ (bits >> 29) ^ (bits >> 41)) % m_weights.size()];
        if (!w.known || w.shown != shown) {
            const double c = m_fahrenheit ? sensor::Conv_Celsius(shown) : shown;
            w = {shown, std::exp(-kMktActivation / (c + kZeroCelsius)), true};
        }
        return w.weight;
    }

    struct Weight
    {
        double shown = 0;
        double weight = 0;
        bool known = false;
    };
    const bool m_fahrenheit;
    std::array<Weight, 256> m_weights{};
    SensorSummary m_out;
    double m_mean = 0;
    double m_m2 = 0;
    double m_mktSum = 0;
};

// One sensor through the rows: statistics, failed readings and the excursions beyond its
// limits.
SensorSummary summarizeSensor(const SummaryInput &in, const RowTimes &times, Quantity q,
                              bool humidityColumn, const Limits &limits, qint64 interval)
{
    SensorStats stats(q, in.fahrenheit);
    FailureCounter failures(interval, times);
    const Bounds bounds = limits.shownBounds(q, in.fahrenheit);
    std::optional<ExcursionCounter> above, below;
    if (bounds.high)
        above.emplace(*bounds.high, true, interval, times);
    if (bounds.low)
        below.emplace(*bounds.low, false, interval, times);
    for (size_t i = 0; i < in.rows.size(); ++i) {
        const std::optional<double> v = readingOf(in.rows[i], humidityColumn);
        stats.add(in.rows[i].time, v);
        failures.add(i, !v);
        if (above)
            above->add(i, v);
        if (below)
            below->add(i, v);
    }
    SensorSummary s = stats.finish();
    failures.finish(s);
    s.limits = bounds;
    const qint64 delay = qint64(limits.delayMinutes) * 60;
    const auto judge = [&](std::optional<ExcursionCounter> &counter) {
        std::optional<LimitOutcome> o;
        if (counter) {
            o = counter->finish(delay, limits.type);
            // A sensor that never read cannot show the goods were within its limits.
            if (s.valid == 0)
                o->alarm = o->noValidReading = true;
        }
        return o;
    };
    s.above = judge(above);
    s.below = judge(below);
    return s;
}

Verdict verdictOf(const Summary &s)
{
    if (s.readings == 0)
        return Verdict::NoData;
    bool anyLimit = false;
    bool anyAlarm = false;
    for (const SensorSummary &sensor : s.sensors) {
        anyLimit = anyLimit || sensor.limits.isSet();
        anyAlarm = anyAlarm || (sensor.above && sensor.above->alarm) ||
                   (sensor.below && sensor.below->alarm);
    }
    return anyAlarm ? Verdict::Alarm : anyLimit ? Verdict::Ok : Verdict::NoLimits;
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
    const RowTimes times(in.rows);
    if (!in.rows.empty()) {
        const auto [earliest, latest] = times.span(0, in.rows.size() - 1);
        out.first = times.time(earliest);
        out.last = times.time(latest);
        out.durationSeconds = times.seconds(0, in.rows.size() - 1);
        out.intervalSeconds = times.medianStep();
        out.stepsBack = times.stepsBack();
    }

    const std::vector<Quantity> sensors = sensorsOf(in.model);
    for (size_t i = 0; i < sensors.size(); ++i)
        out.sensors.push_back(summarizeSensor(in, times, sensors[i], i == 1, limits,
                                              out.intervalSeconds.value_or(0)));

    for (const SummaryRow &row : in.rows) {
        const bool humidityMissing = sensors.size() > 1 && !readingOf(row, true);
        if ((!sensors.empty() && !readingOf(row, false)) || humidityMissing)
            ++out.invalid;
    }
    out.verdict = verdictOf(out);
    return out;
}

} // namespace analysis
