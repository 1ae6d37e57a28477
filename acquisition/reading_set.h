#pragma once

#include "common/logger_identity.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTime>

#include <array>
#include <optional>
#include <vector>

class ReadingsTable;

// One reading set: the readings of one logger, downloaded, read live or reopened from a file.
// It holds the raw words and the memory image as the logger sent them, the device header that
// travels with them, and the readings table it fills from them. The table, once filled, is the
// converted set that the graph, the unit switch, printing and export read; the raw words and
// the image stay beside it for saving.
//
// No widgets: the download, the file reader and writer, the live readings and the command-line
// tool all work on this object. The data window shows it and mirrors the captions it holds
// (serial number, location, unit captions above the axes, visibility of the unit options)
// through the signals below.
class ReadingSet : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRawDataSize = 18001;
    static constexpr int kMemImageSize = 33001;

    explicit ReadingSet(QObject *parent = nullptr);
    ~ReadingSet() override;

    // --- The set. Writers set these, then call Format_Grid() and Fill_Grid(). ---

    quint8 MODEL = 0;                             // model code (model_codes.h)
    std::array<qint32, kRawDataSize> RawData{};   // raw words, oldest first (humidity: pairs)
    qint32 NoOfReadings = 0;                      // words used in RawData
    std::array<quint8, kMemImageSize> MemImage{}; // the memory image as received or read
    qint32 ImageLen = 0;                          // bytes used in MemImage
    quint8 IntvUnit = 0;                          // 'S', 'M' or 'H'
    qint16 IntvValue = 0;                         // interval count in that unit

    // Time of the newest reading as the logger reports it (two-digit year); the logger's
    // seconds are always 0. RefDate and RefTime are the same moment as date and time of day.
    int Day = 0;
    int Month = 0;
    int Year = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    QDate RefDate;
    QTime RefTime;

    // Temperatures of the table: -1 (true) degrees Celsius, 0 (false) Fahrenheit. A set filled
    // while it is false is filled in Fahrenheit directly.
    qint16 Cels_Faren = -1;

    // Sets the time of the newest reading, the components and RefDate/RefTime together.
    void setNewestReading(int day, int month, int twoDigitYear, int hour, int minute,
                          int second = 0);

    // Two-digit years 0 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999. Larger numbers are
    // taken as full years.
    static int fullYear(int twoDigitYear);
    // A date from year, month and day where a month or day out of range carries over into the
    // next unit (day 0 is the last day of the month before, month 13 is January next year).
    static QDate dateSerial(int year, int month, int day);

    // --- Whose readings these are, and the captions that show it. ---

    // The logger's identity as data (serial number, identification bytes, location).
    const LoggerIdentity &identity() const { return m_identity; }
    // From the logger's own bytes: the identity, the serial-number caption made from it
    // (":     0045 06 05 13") and the location caption, ":    " followed by the 16 characters
    // the logger keeps.
    void setLoggerIdentity(const LoggerIdentity &identity, const QString &location16);
    // A row file keeps only the two captions: they are shown as the file has them, and the
    // identity is read from them here, once.
    void setFileIdentity(const QString &serialCaption, const QString &locationCaption);

    // The captions alone (the window clears them); the identity is set with the calls above.
    const QString &SerialText() const { return m_serialText; }
    void setSerialText(const QString &text);
    void setLocationText(const QString &location);
    const QString &locationCaption() const { return m_locationCaption; }
    void setLocationCaption(const QString &caption);

    // Unit captions above the left axis (Label36) and the right axis (Label37), set by Put_Unit.
    const QString &valueUnitCaption() const { return m_valueUnit; }
    const QString &humidityUnitCaption() const { return m_humidityUnit; }

    // Whether the four degC/degF option buttons are shown (set by Format_Grid).
    bool unitOptionsVisible() const { return m_unitOptionsVisible; }

    // --- The readings as numbers and times, for code that computes with them. ---
    // Readings are numbered 1 to readingCount(), oldest first, as the table's rows; a value is
    // exactly the number its table text shows, in the unit shown, and none for "***".

    int readingCount() const;
    QDateTime readingTime(int i) const;          // wall-clock time, kept as UTC (see ReadingsTable)
    std::optional<double> value(int i) const;    // temperature, voltage or CO2
    std::optional<double> humidity(int i) const; // humidity models only

    // --- The table. ---

    ReadingsTable &table() { return *m_table; }
    const ReadingsTable &table() const { return *m_table; }

    // Lays out the table for MODEL: column count, headings of the value columns, visibility of
    // the unit options; then Align_Grid. An unknown code leaves the layout as it is.
    // The row count is not touched.
    void Format_Grid();
    // Centres every column of the table.
    void Align_Grid();
    // Sets the unit captions above the axes from MODEL and Cels_Faren.
    void Put_Unit();
    // Fills the table from RawData: the newest reading is the last row, earlier rows step back
    // one interval each; invalid readings show "***" in red. Lays out the table first.
    void Fill_Grid();
    // The running number text of row r ("1", "2", ...), made once and shared by every fill.
    const QString &rowNumberText(int r);

Q_SIGNALS:
    void serialTextChanged(const QString &text);
    void identityChanged();
    void locationCaptionChanged(const QString &caption);
    void unitCaptionsChanged(const QString &valueUnit, const QString &humidityUnit);
    void unitOptionsVisibleChanged(bool visible);

private:
    void setIdentity(const LoggerIdentity &identity);
    void setUnitCaptions(const QString &valueUnit, const QString &humidityUnit);
    void setUnitOptionsVisible(bool visible);

    ReadingsTable *m_table = nullptr;
    std::vector<QString> m_rowNumbers; // "0", "1", "2", ... shared by every fill
    LoggerIdentity m_identity;
    QString m_serialText;
    QString m_locationCaption;
    QString m_valueUnit;
    QString m_humidityUnit;
    bool m_unitOptionsVisible = true;
};
