#pragma once

#include <QDateTime>
#include <QList>
#include <QRandomGenerator>

namespace loggersim {

// Produces the raw sensor words a logger would store: a room that warms in the afternoon and
// cools at night, humidity that moves against the temperature, a slowly discharging battery,
// CO2 that builds up in an occupied office on working days. A chosen share of readings carry
// words the sensor produces when it fails (open or shorted thermistor, humidity sensor not
// answering), which the program shows as invalid.
//
// Deterministic for a given seed, so tests and state files are reproducible.
class ReadingSource
{
public:
    explicit ReadingSource(quint32 seed = 1);

    void setSeed(quint32 seed);
    // 0..1; the voltage and CO2 sensors have no failure word, so it only affects the
    // temperature and humidity models.
    void setInvalidShare(double share);
    double invalidShare() const { return m_invalidShare; }

    // The words of one reading of `modelCode` taken at `t` (two for the humidity models).
    QList<quint16> reading(quint8 modelCode, const QDateTime &t);
    // `count` readings `intervalSeconds` apart whose newest was taken at `newest`, oldest first.
    QList<quint16> history(quint8 modelCode, const QDateTime &newest, qint64 intervalSeconds,
                           int count);

    // The environment itself, before the sensor turns it into words.
    static double ambientTemperature(quint8 modelCode, const QDateTime &t);
    static double relativeHumidity(double degC);
    static double batteryVolts(const QDateTime &t);
    static double co2Ppm(const QDateTime &t);

    // Sensor words for physical values. The thermistor's count falls as it warms, following
    // its twenty 5-degree segments from -30 to 70 degC.
    static quint16 temperatureWord(double degC);
    static quint16 rhTemperatureWord(double degC); // 0.01 degC steps from -39.6 degC
    static quint16 humidityWord(double percentRh, double degC);
    static quint16 voltageWord(double volts); // 10-bit converter, 2.5 V full scale
    static quint16 co2Word(double ppm);       // 10-bit converter, 2000 ppm full scale

    // The words of one reading of `modelCode` whose sensors have all failed; empty for the
    // models whose sensor has no failure word.
    static QList<quint16> failedReading(quint8 modelCode);

    // Words a failed sensor delivers.
    static constexpr quint16 kOpenThermistor = 1023;
    static constexpr quint16 kShortedThermistor = 40;
    static constexpr quint16 kHumidityNoAnswer = 0;
    static constexpr quint16 kRhTemperatureFault = 0x3FFF;

private:
    double noise(double amplitude);
    bool failsNow();

    QRandomGenerator m_rng;
    double m_invalidShare = 0.0;
};

} // namespace loggersim
