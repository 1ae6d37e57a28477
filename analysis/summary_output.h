#pragma once

#include "analysis/summary.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The summary as text: the JSON that scripts read and the plain block people read. Both are
// made here so the command line and the report only call them.
namespace analysis {

// What the summary itself does not know: whose readings these are.
struct RunHeader
{
    QString serial;
    QString location; // the location text itself, without the caption's colon
};

// One JSON object, keys in a fixed order and always present, null where a value does not
// apply; times local ISO 8601 without a zone; min and max as the table shows them; mean, sd
// and mkt rounded to two decimals (halves to even). Ends with a newline.
QByteArray summaryJson(const Summary &s, const RunHeader &header);

// A readable block, one "label: value" a line, times as the table writes them.
QString summaryText(const Summary &s, const RunHeader &header);

// A moment as the table writes it, date and time: "04/12/2026 20:21:00"; "-" for none.
QString momentText(const QDateTime &t);

// "2 d 03:04:05", or "03:04:05" below a day.
QString durationText(qint64 seconds);

// What an excursion says of the failed readings inside it: "(2 failed readings included)".
QString failedIncludedText(int failed);

} // namespace analysis
