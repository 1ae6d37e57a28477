#pragma once

#include "output/print_inputs.h"

#include <QString>
#include <QStringList>

#include <functional>

class PrintSurface;
class QPagedPaintDevice;
class ReadingSet;

namespace printout {

// A listing keeps one face throughout; a fixed-pitch face lines the headings' blanks up over
// the columns as intended.
inline const QStringList kListingFamilies{QStringLiteral("DejaVu Sans Mono"),
                                          QStringLiteral("Liberation Mono"),
                                          QStringLiteral("Courier New"), QStringLiteral("Monospace")};

// The printed listing: logo, title, the logger's serial number and location, a heading line
// and one line per reading, on portrait A4. Pages after the first carry reading lines only.
class DataPrintout
{
public:
    DataPrintout(PrintSurface &surface, const ReadingSet &set, const PrintInputs &in);

    // Starts the job on a fresh portrait A4 page; false when the device cannot be painted on.
    bool Prn_Setup();
    void Prn_Logo();
    void Prn_Title();
    // The three listings; each prints the header and the heading line first.
    void Prn_All();
    void Prn_Range();
    void Prn_Sheet();
    // Ends the document; false when the device reports a failure.
    bool Prn_End();

    int readingLines() const { return m_lines; }

    // A text put after the reading line of a table row (empty for none), e.g. to mark a
    // reading beyond a limit.
    void setLineMark(std::function<QString(int row)> mark) { m_mark = std::move(mark); }

    // The reading line of table row r, items joined (also what a test compares against).
    QString readingLine(int r) const;
    QString headingLine() const;

private:
    void header();
    void printReading(int r);

    PrintSurface &m_surface;
    const ReadingSet &m_set;
    const PrintInputs &m_in;
    int m_lines = 0;
    std::function<QString(int row)> m_mark;
};

// Prints the listing the inputs ask for: Prn_Setup, Prn_Logo, Prn_Title, the listing of the
// selection, Prn_End.
PrintResult Data_prnt(QPagedPaintDevice &device, const ReadingSet &set, const PrintInputs &in);

} // namespace printout
