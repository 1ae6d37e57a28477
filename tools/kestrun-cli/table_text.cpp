#include "tools/kestrun-cli/table_text.h"

#include "acquisition/readings_table.h"
#include "common/csv_text.h"

namespace tabletextout {

namespace {

QString joinedRow(const ReadingsTable &table, int row, QChar separator,
                  QString (*field)(const QString &))
{
    QString line;
    for (int c = 0; c < table.cols(); ++c) {
        if (c > 0)
            line += separator;
        line += field ? field(table.text(row, c)) : table.text(row, c);
    }
    return line;
}

} // namespace

QString tabRow(const ReadingsTable &table, int row)
{
    return joinedRow(table, row, QLatin1Char('\t'), nullptr);
}

QByteArray tabSeparated(const ReadingsTable &table)
{
    QByteArray out;
    for (int r = 0; r < table.rows(); ++r)
        out += tabRow(table, r).toUtf8() + '\n';
    return out;
}

QString csvField(const QString &text) { return csvtext::field(text); }

QByteArray commaSeparated(const ReadingsTable &table)
{
    QByteArray out;
    for (int r = 0; r < table.rows(); ++r)
        out += joinedRow(table, r, QLatin1Char(','), csvField).toUtf8() + "\r\n";
    return out;
}

} // namespace tabletextout
