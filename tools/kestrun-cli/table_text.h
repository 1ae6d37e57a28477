#pragma once

#include <QByteArray>
#include <QString>

class ReadingsTable;

// The readings table as text: every row from the heading row down, every column the table
// has, each cell exactly as the window shows it ("***" for an invalid reading).
namespace tabletextout {

// One row, cells separated by tabs, no line end.
QString tabRow(const ReadingsTable &table, int row);
// All rows, each ended by "\n" (UTF-8).
QByteArray tabSeparated(const ReadingsTable &table);

// All rows as comma-separated values after RFC 4180: records ended by CR LF, a field in
// double quotes (its quotes doubled) when it holds a comma, a quote or a line break, or begins
// or ends with a blank, so that readers that trim fields keep the headings' blanks.
QByteArray commaSeparated(const ReadingsTable &table);
// One field as it goes into such a record.
QString csvField(const QString &text);

} // namespace tabletextout
