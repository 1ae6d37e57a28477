#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QSet>

#include <array>
#include <optional>

namespace loggersim {

// The logger's real-time clock, kept as separate registers the way a clock chip keeps them.
// The start sequence writes seconds, minutes, hours, day, month and year one frame at a time, so
// the registers can briefly hold a day the month does not have (31 while the month is still
// February); only reading the clock as a date normalises that.
struct RtcTime
{
    int year = 2000; // full year
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    static RtcTime fromDateTime(const QDateTime &t);
    // The registers read as a moment; impossible values roll over (day 31 of February is 2 or
    // 3 March, second 75 is one minute and 15 seconds).
    QDateTime toDateTime() const;
    // Counts `seconds` forward with the chip's carries.
    void advance(qint64 seconds);

    bool operator==(const RtcTime &) const = default;
};

// Model codes the loggers report.
namespace model {
inline constexpr quint8 RV110 = 1;
inline constexpr quint8 RV210 = 2;
inline constexpr quint8 RV410 = 3;
inline constexpr quint8 RV120 = 4;
inline constexpr quint8 RV120b = 5;
inline constexpr quint8 RV220 = 6;
inline constexpr quint8 RV310 = 7;
inline constexpr quint8 RV320 = 8;
inline constexpr quint8 RV420 = 32;

bool isKnown(quint8 code);
bool isHumidity(quint8 code); // two words per reading: temperature, then humidity
bool isTemperature(quint8 code);
int wordsPerReading(quint8 code);
QString label(quint8 code);
} // namespace model

// Everything a logger remembers. Tests set fields directly; the simulator changes them when
// frames arrive and while time passes.
struct LoggerState
{
    static constexpr int kMemoryBytes = 32000;
    static constexpr quint16 kNoSerial = 0xFFFF;

    quint8 model = model::RV210;
    bool started = false;    // logging
    bool waiting = false;    // armed for a delayed start
    bool memoryFull = false; // set when the memory fills; logging stops adding readings then
    char intervalUnit = 'M'; // 'S', 'M' or 'H'
    int intervalCount = 1;   // 0..99
    RtcTime clock;
    std::array<quint8, 3> idBytes{1, 1, 0}; // day, month, year - 2000 written at enabling
    quint16 serial = kNoSerial;
    QByteArray location = QByteArray(16, ' '); // always 16 bytes
    // Stored reading words, oldest first; for the humidity models temperature and humidity
    // words alternate.
    QList<quint16> words;
    QDateTime newestReading; // time of the last stored reading (invalid when there is none)
    // Readings logged with the words of a failed sensor, by their place in memory (0: the
    // oldest), whether filled in at once or taken while logging.
    QSet<int> failedReadings;
    // Schedule, in logger seconds from the present clock.
    qint64 secondsToNextReading = 0; // while started
    qint64 secondsToStart = 0;       // while waiting

    // Seconds between readings; 0 when the unit or count cannot drive logging.
    qint64 intervalSeconds() const;
    int capacityWords() const; // words that fill the 32000-byte memory
    int storedBytes() const;   // 0..32000
    void setLocation(const QByteArray &text); // space-padded or cut to 16 bytes
    void clearReadings();

    QJsonObject toJson() const;
    static std::optional<LoggerState> fromJson(const QJsonObject &o, QString *error = nullptr);
};

// Reading places as a person writes them: "12", "3,7", "10-20,35" (0: the oldest). Unset for
// anything else.
std::optional<QSet<int>> parseReadingList(const QString &text);

} // namespace loggersim

namespace loggersim {

// The state file lets a simulated logger keep its serial number, settings and readings between
// runs. It records when it was written, so a logger that was "unplugged" for an hour comes back
// with its clock an hour later and, if it was logging, with the readings of that hour.
bool saveStateFile(const QString &path, const LoggerState &state, QString *error = nullptr);
// `secondsAway` receives the real time since the file was written (0 if unknown).
std::optional<LoggerState> loadStateFile(const QString &path, qint64 *secondsAway = nullptr,
                                         QString *error = nullptr);

} // namespace loggersim
