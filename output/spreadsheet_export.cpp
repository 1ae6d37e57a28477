#include "output/spreadsheet_export.h"

#include "common/app_info.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "acquisition/readings_table.h"
#include "output/workbook_summary.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <xlsxwriter.h>

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
    lxw_format *cellFormat = workbook_add_format(book);
    if (!sheet || !titleFormat || !cellFormat)
        return abandon(QStringLiteral("cannot create the worksheet (temporary files)"));
    format_set_font_name(titleFormat, "Verdana");
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 12);
    format_set_font_size(cellFormat, 8);

    lxw_error e = worksheet_write_string(sheet, kTitleRow, kTitleCol,
                                         msg::kSheetTitle.toUtf8().constData(), titleFormat);
    if (e != LXW_NO_ERROR)
        return abandon(lxwText(e));

    // Rows must go out in ascending order: in constant-memory mode a finished row is flushed.
    const int rows = table.rows();
    const int cols = table.cols();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            // Written as text, never as numbers: the sheet shows what the table showed.
            // An empty cell still carries the size-8 font.
            e = worksheet_write_string(sheet, kFirstTableRow + lxw_row_t(r), lxw_col_t(c),
                                       table.text(r, c).toUtf8().constData(), cellFormat);
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
