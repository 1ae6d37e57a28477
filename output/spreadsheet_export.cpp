#include "output/spreadsheet_export.h"

#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/app_info.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/numfmt.h"
#include "common/prompter.h"
#include "output/workbook_summary.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <optional>

namespace {

// On freedesktop systems the open request only starts xdg-open, which reports nothing back: a
// desktop without any spreadsheet program would look like a success. xdg-mime says whether a
// program is registered for workbooks. False only on a clear "none"; when xdg-mime is missing
// or fails, the open request is left to decide.
bool clearlyNoWorkbookHandler()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
           && query.readAllStandardOutput().trimmed().isEmpty();
#else
    return false;
#endif
}

} // namespace

bool DesktopSpreadsheetOpener::open(const QString &path)
{
    if (clearlyNoWorkbookHandler())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace spreadsheet {

namespace {

// Sheet position of the title (0-based, as libxlsxwriter counts: row 1, column C).
constexpr lxw_row_t kTitleRow = 0;
constexpr lxw_col_t kTitleCol = 2;
// Table row 0 (the headings) lands in sheet row 3.
constexpr lxw_row_t kFirstTableRow = 2;

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

QString lxwText(lxw_error e)
{
    return QString::fromUtf8(lxw_strerror(e));
}

// A character a number format shows as it is. Separators too: a spreadsheet program would
// show its own regional date and time separators for a bare "/" or ":".
QString literal(QChar ch)
{
    return ch == QLatin1Char(' ') ? QString(ch) : QStringLiteral("\\") + ch;
}

// A date or time format of the table's texts (Qt's letters) as a sheet number format: the same
// fields in the same places, every other character shown as it is.
QString sheetFormat(const QString &qt)
{
    QString out;
    for (qsizetype i = 0; i < qt.size();) {
        const QChar ch = qt.at(i);
        if (ch == QLatin1Char('\'')) {
            const qsizetype end = qt.indexOf(QLatin1Char('\''), i + 1);
            const QString quoted = qt.mid(i + 1, (end < 0 ? qt.size() : end) - i - 1);
            if (quoted.isEmpty())
                out += literal(ch); // '' is a quote
            for (QChar q : quoted)
                out += literal(q);
            i = end < 0 ? qt.size() : end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < qt.size() && qt.at(i + run) == ch)
            ++run;
        switch (ch.unicode()) {
        case 'd':
            out += QString(run, QLatin1Char('d'));
            break;
        case 'M':
            out += QString(run, QLatin1Char('m'));
            break;
        case 'y':
            out += run >= 4 ? QStringLiteral("yyyy") : QStringLiteral("yy");
            break;
        case 'H':
        case 'h':
            out += QString(std::min<qsizetype>(run, 2), QLatin1Char('h'));
            break;
        case 'm':
            out += QString(std::min<qsizetype>(run, 2), QLatin1Char('m'));
            break;
        case 's':
            out += QString(std::min<qsizetype>(run, 2), QLatin1Char('s'));
            break;
        case 'A':
        case 'a':
            if (i + 1 < qt.size() && qt.at(i + 1).toLower() == QLatin1Char('p')) {
                out += ch == QLatin1Char('A') ? QStringLiteral("AM/PM") : QStringLiteral("am/pm");
                i += 2;
                continue;
            }
            out += literal(ch);
            run = 1;
            break;
        default:
            for (qsizetype k = 0; k < run; ++k)
                out += literal(ch);
            break;
        }
        i += run;
    }
    return out;
}

// The number format a column's values are written in, from its heading; empty for a column
// the program does not know.
QString columnFormat(const QString &heading)
{
    if (heading == tabletext::kNumber || heading == tabletext::kCo2)
        return QStringLiteral("0");
    if (heading == tabletext::kTempC || heading == tabletext::kRh)
        return QStringLiteral("00.0");
    if (heading == tabletext::kTempF)
        return QStringLiteral("00.00");
    if (heading == tabletext::kVoltage)
        return QStringLiteral("0.000");
    return QString();
}

// The number format that shows `v` as exactly `text`, or an empty text when no plain number
// format can (the cell then stays text). The column's own format where it fits, else one made
// from the text's digits; a minus sign on a value that rounds to zero is shown as written.
QString valueFormat(const QString &text, double v, const QString &column)
{
    static const QRegularExpression plain(QStringLiteral("^-?([0-9]+)(?:\\.([0-9]+))?$"));
    const QRegularExpressionMatch m = plain.match(text);
    if (!m.hasMatch())
        return QString();
    QString format = column;
    if (format.isEmpty() || numfmt::picture(v, ("#" + format).toLatin1().constData()) != text) {
        format = QString(m.capturedLength(1), QLatin1Char('0'));
        if (m.capturedLength(2) > 0)
            format += QLatin1Char('.') + QString(m.capturedLength(2), QLatin1Char('0'));
    }
    if (v == 0 && text.startsWith(QLatin1Char('-')))
        return QStringLiteral("\\-") + format;
    return format + QStringLiteral(";-") + format;
}

// Writes the cells of the table: texts, numbers, dates and times, each in its format.
class CellWriter
{
public:
    CellWriter(lxw_workbook *book, lxw_worksheet *sheet, const ReadingsTable &table)
        : m_book(book), m_sheet(sheet), m_table(table), m_text(withSize(workbook_add_format(book))),
          m_red(withSize(workbook_add_format(book))),
          m_date(numberFormat(sheetFormat(datetext::dateFormat()))),
          m_time(numberFormat(sheetFormat(datetext::timeFormat())))
    {
        if (m_red)
            format_set_font_color(m_red, LXW_COLOR_RED);
        for (int c = 0; c < table.cols(); ++c)
            m_columnFormats << columnFormat(table.text(0, c));
    }

    bool ready() const { return m_text && m_red && m_date && m_time; }

    lxw_error write(int r, int c)
    {
        const lxw_row_t row = kFirstTableRow + lxw_row_t(r);
        const lxw_col_t col = lxw_col_t(c);
        const QString &text = m_table.text(r, c);
        if (r > 0 && !text.isEmpty()) {
            if (text == tabletext::kInvalid || m_table.isRed(r, c))
                return worksheet_write_string(m_sheet, row, col, text.toUtf8().constData(), m_red);
            if (c == tablecol::kDateCol && m_table.date(r).isValid()) {
                const QDate d = m_table.date(r);
                lxw_datetime at{d.year(), d.month(), d.day(), 0, 0, 0};
                return worksheet_write_datetime(m_sheet, row, col, &at, m_date);
            }
            if (c == tablecol::kTimeCol && m_table.time(r).isValid()) {
                const QTime t = m_table.time(r);
                lxw_datetime at{0, 0, 0, t.hour(), t.minute(), double(t.second())};
                return worksheet_write_datetime(m_sheet, row, col, &at, m_time);
            }
            if (const std::optional<double> v = m_table.number(r, c)) {
                if (lxw_format *f = valueFormatOf(c, text, *v))
                    return worksheet_write_number(m_sheet, row, col, *v, f);
            }
        }
        // An empty cell still carries the size-8 font.
        return worksheet_write_string(m_sheet, row, col, text.toUtf8().constData(), m_text);
    }

private:
    static lxw_format *withSize(lxw_format *f)
    {
        if (f)
            format_set_font_size(f, 8);
        return f;
    }
    // The format of a value cell; null when the cell stays text. A column repeats few texts,
    // so each is looked at once.
    lxw_format *valueFormatOf(int c, const QString &text, double v)
    {
        QHash<QString, lxw_format *> &known = m_valueFormats[c];
        const auto it = known.constFind(text);
        if (it != known.constEnd())
            return it.value();
        const QString format = valueFormat(text, v, m_columnFormats.value(c));
        lxw_format *f = format.isEmpty() ? nullptr : numberFormat(format);
        known.insert(text, f);
        return f;
    }
    // One format for each number format in use.
    lxw_format *numberFormat(const QString &format)
    {
        lxw_format *&f = m_numberFormats[format];
        if (!f) {
            f = withSize(workbook_add_format(m_book));
            if (f)
                format_set_num_format(f, format.toUtf8().constData());
        }
        return f;
    }

    lxw_workbook *m_book;
    lxw_worksheet *m_sheet;
    const ReadingsTable &m_table;
    QHash<QString, lxw_format *> m_numberFormats;
    std::array<QHash<QString, lxw_format *>, ReadingsTable::kMaxCols> m_valueFormats;
    lxw_format *m_text;
    lxw_format *m_red;
    lxw_format *m_date;
    lxw_format *m_time;
    QStringList m_columnFormats;
};

} // namespace

bool writeWorkbook(const ReadingsTable &table, const QString &path, QString *error,
                   const report::RunSummary *summary)
{
    const QByteArray fileName = QFile::encodeName(path);
    // Worksheet data is streamed row by row to a temporary file next to the target: memory
    // stays flat for a full logger memory and nothing else on the machine has to be writable.
    QByteArray tmpDir = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpDir.data();
    options.use_zip64 = LXW_FALSE;

    lxw_workbook *book = workbook_new_opt(fileName.constData(), &options);
    if (!book)
        return fail(error, QStringLiteral("cannot create the workbook"));

    // Everything before workbook_close() only builds the workbook in memory and in temporary
    // files; on a failure there the workbook is discarded and the target removed.
    auto abandon = [&](const QString &why) {
        lxw_workbook_free(book);
        QFile::remove(path);
        return fail(error, why);
    };

    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *titleFormat = workbook_add_format(book);
    if (!sheet || !titleFormat)
        return abandon(QStringLiteral("cannot create the worksheet (temporary files)"));
    CellWriter cells(book, sheet, table);
    if (!cells.ready())
        return abandon(QStringLiteral("cannot create the worksheet (temporary files)"));
    format_set_font_name(titleFormat, "Verdana");
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 12);

    lxw_error e = worksheet_write_string(sheet, kTitleRow, kTitleCol,
                                         msg::kSheetTitle.toUtf8().constData(), titleFormat);
    if (e != LXW_NO_ERROR)
        return abandon(lxwText(e));

    // Rows must go out in ascending order: in constant-memory mode a finished row is flushed.
    const int rows = table.rows();
    const int cols = table.cols();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            e = cells.write(r, c);
            if (e != LXW_NO_ERROR)
                return abandon(lxwText(e));
        }
    }

    QString why;
    if (summary && !addSummarySheet(book, sheet->name, rows - 1, *summary, &why))
        return abandon(why);

    e = workbook_close(book); // writes the file and frees the workbook in every case
    if (e != LXW_NO_ERROR) {
        QFile::remove(path);
        return fail(error, lxwText(e));
    }
    return true;
}

QString newWorkbookPath(const QString &folder)
{
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral("kestrun-readings-XXXXXX.xlsx")));
    // The file outlives the program: the spreadsheet program opens it after we return.
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    const QString path = QFileInfo(file.fileName()).absoluteFilePath();
    file.close();
    return path;
}

QString writtenFileNotice(const QString &path)
{
    return QStringLiteral("The readings were written to the workbook\n%1\n"
                          "Open it with a spreadsheet program to see them.")
        .arg(QDir::toNativeSeparators(path));
}

Result exportTable(const ReadingsTable &table, Prompter &prompter, SpreadsheetOpener &opener,
                   const QString &folder, const report::RunSummary *summary)
{
    Result result;
    const QString dir = folder.isEmpty() ? QDir::tempPath() : folder;
    const QString path = newWorkbookPath(dir);
    if (path.isEmpty() || !writeWorkbook(table, path, nullptr, summary)) {
        if (!path.isEmpty())
            QFile::remove(path);
        prompter.message(msg::kExcelNotAvailable, appinfo::title(), Prompter::Icon::Information);
        result.outcome = Outcome::NotWritten;
        return result;
    }
    result.path = path;
    if (opener.open(path)) {
        result.outcome = Outcome::Opened;
        return result;
    }
    prompter.message(msg::kExcelNotAvailable, appinfo::title(), Prompter::Icon::Information);
    prompter.message(writtenFileNotice(path), appinfo::title(), Prompter::Icon::Information);
    result.outcome = Outcome::NotOpened;
    return result;
}

} // namespace spreadsheet
