#pragma once

#include "output/print_inputs.h"

#include <QColor>
#include <QDateTime>
#include <QString>

#include <map>
#include <tuple>

class PrintSurface;
class QPagedPaintDevice;
class ReadingSet;

namespace printout {

// Page geometry of the printed graph on landscape A4, in twips of the paper: a grid of
// 10 x 10 cells from about 4/31 to 27/31 of the width and from 3/21 to 19/21 of the height,
// scales left and right of it, time labels under it, the title and the logger's header above.
struct GraphGeometry
{
    double W = 0, H = 0;   // paper
    double dx = 0, dy = 0; // W / 31, H / 21
    double GW = 0, GH = 0; // grid width and height
    double xg = 0, yg = 0; // one grid cell
    double left = 0, right = 0, top = 0, bottom = 0;

    static GraphGeometry forPaper(double w, double h);
};

// The printed graph: one landscape page with the grid, the value trace (red, filled markers)
// and for humidity loggers the humidity trace (blue, open markers), the scales, six time
// labels evenly spaced in time, unit captions, logo, legend, title and header line.
class GraphPrintout
{
public:
    static inline const QColor kValueColour = QColor(255, 0, 0);
    static inline const QColor kHumidityColour = QColor(0, 0, 255);

    GraphPrintout(PrintSurface &surface, const ReadingSet &set, const PrintInputs &in);

    // Starts the job on a fresh landscape A4 page; false when the device cannot be painted on.
    bool Graph_Setup();
    void Graph_Grid();
    void Graph_Trace();
    void Graph_TraceRange();
    void Graph_Labels();
    void Graph_LabelsRange();
    void Graph_Pictures();
    void Graph_Header();

    // Limit lines: dashed, in colours of their own (pure red and blue mean "a trace is here").
    static inline const QColor kHighLimitColour = QColor(214, 96, 0);
    static inline const QColor kLowLimitColour = QColor(0, 140, 150);
    // Draws a limit across the grid at `value` on the value scale, or on the humidity scale,
    // of the whole run. A limit outside the scale is not drawn.
    void Graph_LimitLine(double value, bool humidity, const QColor &colour);

    void Mark_Filled(double x, double y, const QColor &color);
    void Mark_Open(double x, double y, const QColor &color);

    const GraphGeometry &geometry() const { return m_g; }
    // The rows of the selected range (0 when a bound is not in the table).
    int startRow() const { return m_startRow; }
    int endRow() const { return m_endRow; }

private:
    struct Scale
    {
        double max = 0, min = 0, k = 0;
    };
    bool drawsValue() const;
    bool drawsHumidity() const;
    Scale scaleOf(int column, int f, int t) const;
    Scale valueScale(int f, int t) const;
    Scale humidityScale(int f, int t) const;
    void trace(int f, int t);
    void scales(int f, int t);
    void timeAxis(const QDateTime &t0, const QDateTime &t1);
    void unitCaptions();
    void noteInGrid(const QString &text);
    void findRange();

    PrintSurface &m_surface;
    const ReadingSet &m_set;
    const PrintInputs &m_in;
    GraphGeometry m_g;
    int m_startRow = 0;
    int m_endRow = 0;
    bool m_rangeFound = false;
    // Where the printed scale labels end, so the unit captions keep clear of them.
    // The scales worked out, by column and rows: each looks at every reading, and the page asks
    // for them again for the trace, the limit lines and the labels.
    mutable std::map<std::tuple<int, int, int>, Scale> m_scales;
    double m_valueLabelsLeft = 1e12;
    double m_humidityLabelsRight = 0;
};

// Prints the graph the inputs ask for: Graph_Setup, Graph_Grid, the trace and labels of the
// selection, Graph_Pictures, Graph_Header, and ends the document.
PrintResult Graph_Prnt(QPagedPaintDevice &device, const ReadingSet &set, const PrintInputs &in);

} // namespace printout
