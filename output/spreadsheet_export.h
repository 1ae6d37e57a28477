#pragma once

#include <QString>

class Prompter;
class ReadingsTable;
namespace report {
struct RunSummary;
}

// Export → "To Excel": the readings table, cell by cell and exactly as shown, goes into a new
// workbook that is then handed to the desktop's spreadsheet program, which the user keeps.
//
// Sheet layout (rows and columns counted from 1 as the spreadsheet counts them):
//   C1           the sheet title, Verdana bold 12
//   row 2        empty
//   row r + 3    table row r (row 0 = the headings), table column c in sheet column c + 1,
//                every cell in size 8
// The headings are texts. A reading's running number and values are numbers, its date a date
// and its time a time, each with a number format that shows exactly the table's text ("05.3"
// keeps its leading zero); "***" is the text "***" in red. A cell whose text no number format
// can show is written as that text.

// Opens a written workbook with whatever program the desktop uses for spreadsheets. The
// program is left running for the user.
class SpreadsheetOpener
{
public:
    virtual ~SpreadsheetOpener() = default;
    // False when nothing could be asked to open the file.
    virtual bool open(const QString &path) = 0;
};

// The desktop's default handler for .xlsx files (QDesktopServices).
class DesktopSpreadsheetOpener : public SpreadsheetOpener
{
public:
    bool open(const QString &path) override;
};

namespace spreadsheet {

// Writes `table` as a workbook to `path` (overwritten). On failure returns false, leaves no
// partial file behind and, if `error` is given, says why.
// With `summary`, a "Summary" sheet with its figures and a chart of the readings follows.
bool writeWorkbook(const ReadingsTable &table, const QString &path, QString *error = nullptr,
                   const report::RunSummary *summary = nullptr);

// A new, uniquely named, empty .xlsx file in `folder`; an empty text when none can be made.
QString newWorkbookPath(const QString &folder);

// What the user is told when the workbook was written but could not be opened.
QString writtenFileNotice(const QString &path);

enum class Outcome {
    Opened,     // written and handed to the spreadsheet program
    NotWritten, // no workbook: "Excel not available"
    NotOpened,  // written, nothing opened it: "Excel not available", then where the file is
};

struct Result
{
    Outcome outcome = Outcome::NotWritten;
    QString path; // the written workbook; empty when nothing was written
};

// The whole export command. Writes a new workbook in `folder` (the user's temporary folder when
// empty) and opens it. Every failure ends in "Excel not available" (information icon,
// application title); when the file was written but could not be opened a second message says
// where it is, so the export is not lost.
Result exportTable(const ReadingsTable &table, Prompter &prompter, SpreadsheetOpener &opener,
                   const QString &folder = QString(),
                   const report::RunSummary *summary = nullptr);

} // namespace spreadsheet
