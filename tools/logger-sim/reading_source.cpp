#include "tools/logger-sim/reading_source.h"

#include "tools/logger-sim/logger_state.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace loggersim {

namespace {

// Thermistor curve: each segment spans 5 degC from its base; the count falls from `anchor` by
// `span` counts over the segment.
struct Segment
{
    int from, to, anchor, span, base;
};

constexpr Segment kSegments[] = {
    {893, 918, 918, 26, -30}, {864, 892, 892, 29, -25}, {829, 863, 863, 35, -20},
    {792, 828, 828, 37, -15}, {750, 791, 791, 42, -10}, {707, 749, 749, 43, -5},
    {657, 706, 706, 50, 0},   {609, 656, 656, 48, 5},   {559, 608, 608, 50, 10},
    {505, 558, 558, 54, 15},  {461, 504, 504, 44, 20},  {419, 460, 460, 42, 25},
    {370, 418, 418, 49, 30},  {332, 369, 369, 38, 35},  {296, 331, 331, 36, 40},
    {255, 295, 295, 41, 45},  {233, 254, 254, 22, 50},  {209, 232, 232, 24, 55},
    {181, 208, 208, 28, 60},  {158, 180, 180, 23, 65},
};

double hourOfDay(const QDateTime &t)
{
    return t.time().hour() + t.time().minute() / 60.0 + t.time().second() / 3600.0;
}

// Day number, so slow drifts continue smoothly across months and years.
double dayNumber(const QDateTime &t)
{
    return double(t.date().toJulianDay()) + hourOfDay(t) / 24.0;
}

} // namespace

ReadingSource::ReadingSource(quint32 seed) : m_rng(seed) {}

void ReadingSource::setSeed(quint32 seed) { m_rng.seed(seed); }

void ReadingSource::setInvalidShare(double share) { m_invalidShare = std::clamp(share, 0.0, 1.0); }

double ReadingSource::noise(double amplitude)
{
    return (m_rng.generateDouble() * 2.0 - 1.0) * amplitude;
}

bool ReadingSource::failsNow()
{
    return m_invalidShare > 0.0 && m_rng.generateDouble() < m_invalidShare;
}

double ReadingSource::ambientTemperature(quint8 code, const QDateTime &t)
{
    // Warmest at 15:00, coolest at 03:00, with a weather drift of a week or so on top.
    const double daily = std::cos(2.0 * std::numbers::pi * (hourOfDay(t) - 15.0) / 24.0);
    const double weather = std::sin(2.0 * std::numbers::pi * dayNumber(t) / 7.3);
    switch (code) {
    case model::RV310: return 4.0 + 1.5 * daily + 0.8 * weather;    // cold store
    case model::RV320: return -18.0 + 1.2 * daily + 0.8 * weather;  // freezer
    case model::RV210:
    case model::RV220: return 22.0 + 5.0 * daily + 2.0 * weather;   // warehouse
    default: return 21.0 + 4.0 * daily + 1.5 * weather;             // office
    }
}

double ReadingSource::relativeHumidity(double degC)
{
    return std::clamp(55.0 - 2.2 * (degC - 22.0), 5.0, 97.0);
}

double ReadingSource::batteryVolts(const QDateTime &t)
{
    // A 1.5 V cell: slow decline over half a year, a little lower in the cold night hours.
    const double age = std::fmod(dayNumber(t), 180.0) / 180.0;
    const double daily = std::cos(2.0 * std::numbers::pi * (hourOfDay(t) - 15.0) / 24.0);
    return 1.56 - 0.30 * age + 0.01 * daily;
}

double ReadingSource::co2Ppm(const QDateTime &t)
{
    const double h = hourOfDay(t);
    const bool workday = t.date().dayOfWeek() <= 5;
    const double outdoor = 420.0;
    if (!workday || h < 8.0)
        return outdoor;
    if (h < 18.0) {
        // People arrive at 8, most leave for lunch around 12:30.
        const double build = 750.0 * (1.0 - std::exp(-(h - 8.0) / 2.5));
        const double lunch = 1.0 - 0.25 * std::exp(-std::pow((h - 12.75) / 0.6, 2.0));
        return outdoor + build * lunch;
    }
    const double atSix = 750.0 * (1.0 - std::exp(-10.0 / 2.5));
    return outdoor + atSix * std::exp(-(h - 18.0) / 1.5);
}

quint16 ReadingSource::temperatureWord(double degC)
{
    if (degC >= 70.0)
        return 157;
    const double t = std::max(degC, -30.0);
    const int i = std::min(int((t + 30.0) / 5.0), 19);
    const Segment &s = kSegments[i];
    const long raw = std::lround(s.anchor - (t - s.base) * s.span / 5.0);
    return quint16(std::clamp<long>(raw, s.from, s.to));
}

quint16 ReadingSource::rhTemperatureWord(double degC)
{
    return quint16(std::lround((std::clamp(degC, -30.0, 70.0) + 39.6) * 100.0));
}

quint16 ReadingSource::humidityWord(double rh, double degC)
{
    // The sensor's response: rh = (t - 25)(0.01 + 0.00008 SO) - 4 + 0.0405 SO - 0.0000028 SO^2.
    // Solved for SO, taking the root on the rising part of the curve.
    const double a = -0.0000028;
    const double b = 0.0405 + 0.00008 * (degC - 25.0);
    const double c = 0.01 * (degC - 25.0) - 4.0 - rh;
    const double disc = std::max(b * b - 4.0 * a * c, 0.0);
    const double so = (b - std::sqrt(disc)) / (-2.0 * a);
    return quint16(std::clamp<long>(std::lround(so), 1, 0x0FFF));
}

quint16 ReadingSource::voltageWord(double volts)
{
    return quint16(std::clamp<long>(std::lround(volts * 1023.0 / 2.5), 0, 1023));
}

quint16 ReadingSource::co2Word(double ppm)
{
    return quint16(std::clamp<long>(std::lround(ppm * 1023.0 / 2000.0), 0, 1023));
}

QList<quint16> ReadingSource::reading(quint8 code, const QDateTime &t)
{
    if (model::isHumidity(code)) {
        const double degC = ambientTemperature(code, t) + noise(0.15);
        const quint16 tw = rhTemperatureWord(degC);
        const double sensed = tw * 0.01 - 39.6;
        const quint16 hw = humidityWord(relativeHumidity(degC) + noise(0.8), sensed);
        if (failsNow()) {
            // Half of the failures are the humidity sensor alone, half the whole probe.
            if (m_rng.bounded(2) == 0)
                return {tw, kHumidityNoAnswer};
            return {kRhTemperatureFault, hw};
        }
        return {tw, hw};
    }
    switch (code) {
    case model::RV410: return {voltageWord(batteryVolts(t) + noise(0.003))};
    case model::RV420: return {co2Word(co2Ppm(t) + noise(12.0))};
    default:
        if (failsNow())
            return {m_rng.bounded(2) == 0 ? kOpenThermistor : kShortedThermistor};
        return {temperatureWord(ambientTemperature(code, t) + noise(0.15))};
    }
}

QList<quint16> ReadingSource::failedReading(quint8 code)
{
    if (model::isHumidity(code))
        return {kRhTemperatureFault, kHumidityNoAnswer};
    if (model::isTemperature(code))
        return {kOpenThermistor};
    return {};
}

QList<quint16> ReadingSource::history(quint8 code, const QDateTime &newest, qint64 interval,
                                      int count)
{
    QList<quint16> out;
    out.reserve(count * model::wordsPerReading(code));
    for (int i = count - 1; i >= 0; --i)
        out.append(reading(code, newest.addSecs(-interval * i)));
    return out;
}

} // namespace loggersim
