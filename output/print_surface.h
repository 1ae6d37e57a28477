#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPointF>
#include <QRawFont>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

class QPagedPaintDevice;

// The page the printouts draw on: a QPainter over a paged device (a printer, or a PDF file)
// with the two coordinate systems the layouts are written in.
//
//  - The user scale maps a given width and height (the paper's size in twips) onto the
//    printable area, origin at its top left. The layouts place pictures, grid and traces in
//    these units, so a layout fills the printable area whatever the printer's margins are.
//  - The character scale counts one character cell (120 twips) across and one line
//    (240 twips) down, origin at the top left of the printable area. Text is placed in it.
//
// Text is printed line by line from the current position; a line that does not fit under the
// previous one moves to the top of a new page. The surface keeps one font and one set of
// metrics and draws each line as a single text run, so a listing of thousands of lines stays
// fast.
class PrintSurface
{
public:
    static constexpr double kTwipsPerInch = 1440.0;
    static constexpr double kCharWidthTwips = 120.0;
    static constexpr double kLineHeightTwips = 240.0;
    // A4 in twips (210 mm x 297 mm).
    static constexpr double kA4ShortTwips = 210.0 / 25.4 * kTwipsPerInch;
    static constexpr double kA4LongTwips = 297.0 / 25.4 * kTwipsPerInch;
    // The margin asked of the device around the printable area; a printer that needs more
    // keeps its own.
    static constexpr double kMarginMm = 10.0;
    // Picture sizes are given in screen pixels, 15 twips each.
    static constexpr double kTwipsPerPixel = 15.0;

    enum class FillStyle { Solid, Transparent };

    explicit PrintSurface(QPagedPaintDevice &device);
    ~PrintSurface();
    PrintSurface(const PrintSurface &) = delete;
    PrintSurface &operator=(const PrintSurface &) = delete;

    // Starts the job on a fresh page of A4 paper in the given orientation; the user scale is
    // then the paper's size in twips. False when the device cannot be painted on (no printer,
    // an output file that cannot be written). Called while a job runs, it starts the job's
    // next part on a new page in that orientation, so several printouts make one document.
    bool begin(QPageLayout::Orientation orientation);
    // Ends the document and hands it to the device. False when the device reports a failure.
    bool end();
    bool isActive() const { return m_painter.isActive(); }
    QPainter &painter() { return m_painter; }
    int pageCount() const { return m_pages; }

    // The paper's width and height in twips, as set up by begin().
    double paperWidth() const { return m_paperW; }
    double paperHeight() const { return m_paperH; }

    // --- Scales (a change of scale keeps the current position on the page) ---
    void setUserScale(double width, double height);
    void setCharacterScale();
    double scaleWidth() const { return m_scaleW; }
    double scaleHeight() const { return m_scaleH; }

    // --- Current position, in the current scale ---
    double currentX() const { return m_x; }
    double currentY() const { return m_y; }
    void setCurrentX(double x) { m_x = x; }
    void setCurrentY(double y) { m_y = y; }
    void moveTo(double x, double y)
    {
        m_x = x;
        m_y = y;
    }

    // --- Text ---
    // The first family of the list that the system has is used.
    void setFontFamily(const QStringList &families);
    void setFontSize(double points);
    void setItalic(bool italic);
    const QFont &font() const { return m_font; }
    // Width and height of a text in the current font, in the current scale.
    double textWidth(QStringView text) const;
    double textHeight() const;

    // Prints the items one after another, nothing between them, at the current position, then
    // ends the line: x back to the left edge, y one text height down. A line that would not fit
    // on the page is printed at the top of a new page.
    void printLine(std::initializer_list<QStringView> items);
    void printLine(QStringView text);
    // Prints a text at the current position without ending the line (the position stays).
    void printAt(QStringView text);
    // Prints `text` centred across the page on line `y` at `points`, then ends the line. A text
    // wider than the page is printed smaller, down to kSmallestFittedPoints, and what still does
    // not fit is cut with an ellipsis: nothing runs off the paper's edges unseen.
    static constexpr double kSmallestFittedPoints = 9;
    void printCentred(const QString &text, double y, double points);
    void newPage();

    // --- Drawing, in the current scale ---
    // Line width in printer dots of 1/300 inch.
    void setLineWidth(double dots);
    void line(QPointF from, QPointF to, const QColor &colour,
              Qt::PenStyle style = Qt::SolidLine);
    void circle(QPointF centre, double radius, const QColor &colour, FillStyle fill);
    // The same as line() and circle() for many of one colour at once, as one drawing: every
    // circle of the list, and every line through its points (joined round, as separate lines
    // with round ends overlap). Where they overlap, nothing shows which was drawn first.
    void circles(const std::vector<QPointF> &centres, double radius, const QColor &colour,
                 FillStyle fill);
    void polylines(const std::vector<std::vector<QPointF>> &lines, const QColor &colour);
    // How far a line's ink and a circle's reach from where they are drawn, in device pixels.
    double lineReach() const;
    double circleReach(double radius) const;
    // Draws a picture (SVG or bitmap resource or file) with its top-left corner at `topLeft`
    // and the given size in the current scale. A picture that cannot be loaded is skipped:
    // false then, and nothing is drawn.
    bool picture(const QString &path, QPointF topLeft, QSizeF size);

    // Device position of a point of the current scale (for tests and diagnostics).
    QPointF toDevice(QPointF p) const;

private:
    void setScale(double sx, double sy);
    void applyFont();
    void ensureMetrics() const;
    void drawLineText(const QString &text);
    bool drawPlainText(QPointF baseline, const QString &text);
    void drawWaitingGlyphs();
    void useTextPen();

    struct JobMemory;

    QPagedPaintDevice &m_device;
    QPainter m_painter;
    std::unique_ptr<JobMemory> m_jobMemory; // from begin() until the document is ended
    int m_pages = 0;

    double m_paperW = 0;
    double m_paperH = 0;
    double m_deviceW = 0; // printable area in device pixels
    double m_deviceH = 0;
    double m_dpiX = 1;
    double m_dpiY = 1;

    double m_scaleW = 1;
    double m_scaleH = 1;
    double m_sx = 1; // device pixels per scale unit
    double m_sy = 1;
    double m_x = 0;
    double m_y = 0;

    QFont m_font;
    mutable std::optional<QFontMetricsF> m_metrics;
    mutable double m_ascentPx = 0;
    mutable double m_heightPx = 0;
    double m_lineWidthDots = 1;
    bool m_textPen = false;
    QString m_lineBuffer;

    // Glyphs and advances of the current font for the characters from blank to U+00FF.
    static constexpr char16_t kFirstPlain = 0x20;
    static constexpr char16_t kLastPlain = 0xFF;
    struct PlainGlyphs
    {
        QRawFont raw;
        std::array<quint32, kLastPlain - kFirstPlain + 1> glyph{};
        std::array<double, kLastPlain - kFirstPlain + 1> advance{};
    };
    std::optional<PlainGlyphs> m_glyphs;
    QList<quint32> m_runGlyphs;
    QList<QPointF> m_runPositions;
};
