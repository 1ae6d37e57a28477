#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <memory>
#include <vector>

// The date text and time text of the readings table. Every writer and every reader of those
// texts (table, axes, cursor, print range, row files, export) goes through this pair so that a
// text written can always be read back to the same value.
//
// The texts follow the default QLocale (the system's regional settings unless a test pins one
// with QLocale::setDefault), but always with a four-digit year and with seconds, so nothing is
// lost on the way back. Formatting is precompiled per locale because the table formats tens of
// thousands of dates and times in one go.
namespace datetext {

QString dateText(const QDate &d);
QString timeText(const QTime &t);

// Both return an invalid QDate/QTime for text that is not a date/time of the current format.
QDate parseDate(const QString &text);
QTime parseTime(const QString &text);

struct Compiled;
// parseDate() and parseTime() for many texts in a row (a file of many rows), with the formats
// of the locale when it was made.
class Reader
{
public:
    Reader();
    ~Reader();
    QDate date(const QString &text) const;
    QTime time(const QString &text) const;

private:
    std::shared_ptr<const Compiled> m_compiled;
};
// A time the user typed: the table's form, or the same without seconds (the start of that
// minute), as people write a time by hand.
QTime parseTypedTime(const QString &text);

// Combines a date text and a time text to a moment (fractions of a second dropped).
QDateTime combine(const QString &date, const QString &time);

// The formats in use (for the date picker, tests and diagnostics).
QString dateFormat();
QString timeFormat();

// Drops the cached formats; call after QLocale::setDefault().
void localeChanged();

// The date and time texts of many rows, each made once and shared by every row that shows it:
// rows in order mostly share their date, and a long table repeats the same times of day.
class SharedTexts
{
public:
    const QString &date(const QDate &d);
    const QString &time(const QTime &t);

private:
    QDate m_date;
    QString m_dateText;
    std::vector<QString> m_times; // by second of the day, made when first asked for
};

// A UTC offset as ISO 8601 writes it, always signed: "+01:00", "-05:30", "+00:00".
QString utcOffsetText(int offsetSeconds);

} // namespace datetext
