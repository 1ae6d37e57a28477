#include "output/workbook_summary.h"

#include "analysis/summary_output.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "output/run_summary.h"
#include "acquisition/readings_table.h"

#include <xlsxwriter.h>

namespace spreadsheet {

namespace {

using namespace analysis;

// Where the readings sheet keeps table row 1 (0-based sheet row) and a table column.
constexpr lxw_row_t kFirstReadingRow = 3;

QString a1Column(int col)
{
    return QString(QChar('A' + col));
}

// Writes the cells of one sheet row by row, left to right; any failure is kept.
class Cells
{
public:
    Cells(lxw_workbook *book, lxw_worksheet *sheet) : m_sheet(sheet)
    {
        m_time = workbook_add_format(book);
        format_set_num_format(m_time, "yyyy-mm-dd hh:mm:ss");
        m_bold = workbook_add_format(book);
        format_set_bold(m_bold);
    }

    void text(const QString &t, bool bold = false)
    {
        keep(worksheet_write_string(m_sheet, m_row, m_col++, t.toUtf8().constData(),
                                    bold ? m_bold : nullptr));
    }
    // An empty cell for none, and for anything that is not a finite number.
    void number(const std::optional<double> &v)
    {
        if (const std::optional<double> f = analysis::finite(v))
            keep(worksheet_write_number(m_sheet, m_row, m_col, *f, nullptr));
        ++m_col;
    }
    void time(const QDateTime &t)
    {
        if (t.isValid()) {
            const QDate d = t.date();
            const QTime c = t.time();
            lxw_datetime dt{d.year(), d.month(), d.day(), c.hour(), c.minute(), double(c.second())};
            keep(worksheet_write_datetime(m_sheet, m_row, m_col, &dt, m_time));
        }
        ++m_col;
    }
    void put(const QString &t) { text(t); }
    void put(const std::optional<double> &v) { number(v); }
    void put(const QDateTime &t) { time(t); }
    void boolean(bool b) { keep(worksheet_write_boolean(m_sheet, m_row, m_col++, b, nullptr)); }
    void next(int rows = 1)
    {
        m_row += lxw_row_t(rows);
        m_col = 0;
    }
    lxw_row_t row() const { return m_row; }
    lxw_error error() const { return m_error; }

private:
    void keep(lxw_error e)
    {
        if (m_error == LXW_NO_ERROR)
            m_error = e;
    }
    lxw_worksheet *m_sheet;
    lxw_format *m_time = nullptr;
    lxw_format *m_bold = nullptr;
    lxw_row_t m_row = 0;
    lxw_col_t m_col = 0;
    lxw_error m_error = LXW_NO_ERROR;
};

std::optional<double> twoDecimals(const std::optional<double> &v)
{
    return v ? std::optional<double>(numfmt::roundHalfEven(*v, 2)) : std::nullopt;
}

// One "label, value" row of the run's figures.
template <typename Value>
void labelled(Cells &c, const QString &label, const Value &value)
{
    c.text(label);
    c.put(value);
    c.next();
}

void outcome(Cells &c, const std::optional<LimitOutcome> &o)
{
    if (!o) {
        for (int i = 0; i < 5; ++i)
            c.number(std::nullopt);
        return;
    }
    c.number(o->events());
    c.number(double(o->seconds));
    c.time(o->firstAt());
    c.number(double(o->longestSeconds));
    c.boolean(o->alarm);
}

void writeFigures(Cells &c, const report::RunSummary &run)
{
    const Summary &s = run.summary;
    c.text(QStringLiteral("Summary"), true);
    c.next(2);
    labelled(c, QStringLiteral("Serial number"), run.header.serial);
    labelled(c, QStringLiteral("Location"), run.header.location);
    labelled(c, QStringLiteral("Model"), model::label(s.model));
    labelled(c, QStringLiteral("Readings"), std::optional<double>(s.readings));
    labelled(c, QStringLiteral("Invalid readings"), std::optional<double>(s.invalid));
    labelled(c, QStringLiteral("First reading"), s.first);
    labelled(c, QStringLiteral("Last reading"), s.last);
    labelled(c, QStringLiteral("Duration (s)"), std::optional<double>(s.durationSeconds));
    labelled(c, QStringLiteral("Interval (s)"),
             s.intervalSeconds ? std::optional<double>(*s.intervalSeconds) : std::nullopt);
    labelled(c, QStringLiteral("Alarm delay (min)"), std::optional<double>(s.delayMinutes));
    labelled(c, QStringLiteral("Alarm type"),
             s.alarmType == AlarmType::Cumulative ? QStringLiteral("cumulative")
                                                  : QStringLiteral("single"));
    labelled(c, QStringLiteral("Status"), verdictText(s.verdict));
    c.next();

    for (const char *h : {"Sensor", "Unit", "Minimum", "Minimum at", "Maximum", "Maximum at",
                          "Mean", "SD", "MKT", "High limit", "Low limit", "Above: events",
                          "Above: seconds", "Above: first at", "Above: longest (s)",
                          "Above: alarm", "Below: events", "Below: seconds", "Below: first at",
                          "Below: longest (s)", "Below: alarm", "Failed readings",
                          "Failed: first at", "Failed: longest run", "Failed: longest (s)",
                          "Failed: longest from"})
        c.text(QString::fromLatin1(h), true);
    c.next();
    for (const SensorSummary &sensor : s.sensors) {
        c.text(caption(sensor.quantity));
        c.text(sensor.unit);
        c.number(sensor.min);
        c.time(sensor.minAt);
        c.number(sensor.max);
        c.time(sensor.maxAt);
        c.number(twoDecimals(sensor.mean));
        c.number(twoDecimals(sensor.sd));
        c.number(twoDecimals(sensor.mkt));
        c.number(sensor.limits.high);
        c.number(sensor.limits.low);
        outcome(c, sensor.above);
        outcome(c, sensor.below);
        c.number(sensor.invalid);
        c.time(sensor.firstFailedAt);
        c.number(sensor.longestFailed.readings);
        c.number(double(sensor.longestFailed.seconds));
        c.time(sensor.longestFailed.start);
        c.next();
    }
}

// A line per sensor over the readings, the time of day as categories.
bool insertChart(lxw_workbook *book, lxw_worksheet *sheet, lxw_row_t at, const char *readings,
                 int count, const Summary &s)
{
    if (count < 1 || s.sensors.empty())
        return true;
    lxw_chart *chart = workbook_add_chart(book, LXW_CHART_LINE);
    if (!chart)
        return false;
    const int last = int(kFirstReadingRow) + count; // 1-based row of the newest reading
    const QString sheetRef = QStringLiteral("'%1'!").arg(QString::fromUtf8(readings));
    const auto range = [&](int col) {
        return (sheetRef + QStringLiteral("$%1$%2:$%1$%3"))
            .arg(a1Column(col))
            .arg(kFirstReadingRow + 1)
            .arg(last)
            .toUtf8();
    };
    const QByteArray categories = range(tablecol::kTimeCol);
    for (const SensorSummary &sensor : s.sensors) {
        const int col = sensor.quantity == Quantity::Humidity ? tablecol::kHumidityCol
                                                              : tablecol::kValueCol;
        const QByteArray values = range(col);
        lxw_chart_series *series =
            chart_add_series(chart, categories.constData(), values.constData());
        if (!series)
            return false;
        const QByteArray name = (caption(sensor.quantity) + QStringLiteral(" (") + sensor.unit +
                                 QLatin1Char(')'))
                                    .toUtf8();
        chart_series_set_name(series, name.constData());
    }
    chart_title_set_name(chart, "Readings");
    lxw_chart_options options{};
    options.x_scale = 2.5;
    options.y_scale = 1.5;
    return worksheet_insert_chart_opt(sheet, at, 0, chart, &options) == LXW_NO_ERROR;
}

} // namespace

bool addSummarySheet(lxw_workbook *book, const char *readingsSheet, int readings,
                     const report::RunSummary &run, QString *error)
{
    lxw_worksheet *sheet = workbook_add_worksheet(book, kSummarySheet);
    if (!sheet) {
        if (error)
            *error = QStringLiteral("cannot create the Summary sheet");
        return false;
    }
    Cells cells(book, sheet);
    writeFigures(cells, run);
    if (cells.error() != LXW_NO_ERROR) {
        if (error)
            *error = QString::fromUtf8(lxw_strerror(cells.error()));
        return false;
    }
    if (!insertChart(book, sheet, cells.row() + 1, readingsSheet, readings, run.summary)) {
        if (error)
            *error = QStringLiteral("cannot add the chart of the readings");
        return false;
    }
    return true;
}

} // namespace spreadsheet
