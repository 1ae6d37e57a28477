#include "output/print_surface.h"

#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainterPath>
#include <QPen>
#include <QSvgRenderer>

#include <cmath>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr double kPointsToTwips = 20.0;
constexpr double kDotsPerInch = 300.0;

// Qt's PDF writer takes two buffers of about 10 MB for every page it finishes and frees them
// at once. glibc gives such memory back to the system on every free and maps it again for
// the next page; over a listing of 250 pages that costs more than the drawing. While a job
// runs, freed memory stays with the process and is used again; afterwards the usual limits
// come back. Jobs run one at a time on the user-interface thread.
class KeepFreedMemory
{
public:
    KeepFreedMemory()
    {
#ifdef __GLIBC__
        if (s_jobs++ == 0) {
            mallopt(M_MMAP_THRESHOLD, 32 << 20);
            mallopt(M_TRIM_THRESHOLD, 64 << 20);
        }
#endif
    }
    ~KeepFreedMemory()
    {
#ifdef __GLIBC__
        if (--s_jobs == 0) {
            mallopt(M_TRIM_THRESHOLD, kDefaultThreshold);
            mallopt(M_MMAP_THRESHOLD, kDefaultThreshold);
        }
#endif
    }
    KeepFreedMemory(const KeepFreedMemory &) = delete;
    KeepFreedMemory &operator=(const KeepFreedMemory &) = delete;

private:
    static constexpr int kDefaultThreshold = 128 * 1024;
    static inline int s_jobs = 0;
};

} // namespace

struct PrintSurface::JobMemory
{
    KeepFreedMemory keep;
};

PrintSurface::PrintSurface(QPagedPaintDevice &device) : m_device(device) {}

PrintSurface::~PrintSurface()
{
    if (m_painter.isActive()) {
        drawWaitingGlyphs();
        m_painter.end();
    }
}

bool PrintSurface::begin(QPageLayout::Orientation orientation)
{
    const QMarginsF margins(kMarginMm, kMarginMm, kMarginMm, kMarginMm);
    const QPageLayout wanted(QPageSize(QPageSize::A4), orientation, margins,
                             QPageLayout::Millimeter);
    // A printer whose hardware margins are wider than ours refuses the layout; then it keeps
    // its own margins and only the paper and the orientation change.
    if (!m_device.setPageLayout(wanted)) {
        m_device.setPageSize(QPageSize(QPageSize::A4));
        m_device.setPageOrientation(orientation);
    }
    if (m_painter.isActive()) {
        // The next part of a running job: its first page takes the new orientation.
        newPage();
    } else {
        m_jobMemory = std::make_unique<JobMemory>();
        if (!m_painter.begin(&m_device)) {
            m_jobMemory.reset();
            return false;
        }
        m_pages = 1;
    }
    m_textPen = false;

    const QRectF paper = m_device.pageLayout().fullRect(QPageLayout::Point);
    // Whole twips, as a printer reports its paper.
    m_paperW = std::round(paper.width() * kPointsToTwips);
    m_paperH = std::round(paper.height() * kPointsToTwips);
    m_deviceW = m_device.width();
    m_deviceH = m_device.height();
    m_dpiX = m_device.logicalDpiX();
    m_dpiY = m_device.logicalDpiY();

    m_font = QFont();
    m_font.setPointSizeF(10);
    m_font.setStyleStrategy(QFont::PreferOutline);
    applyFont();
    setLineWidth(1);
    m_x = 0;
    m_y = 0;
    setUserScale(m_paperW, m_paperH);
    return true;
}

bool PrintSurface::end()
{
    if (!m_painter.isActive())
        return false;
    drawWaitingGlyphs();
    const bool ended = m_painter.end();
    m_jobMemory.reset();
    return ended;
}

// A change of scale keeps the current position where it is on the page, so a listing that
// switches to the character scale after its title goes on under the title.
void PrintSurface::setScale(double sx, double sy)
{
    const double devX = m_x * m_sx;
    const double devY = m_y * m_sy;
    m_sx = sx;
    m_sy = sy;
    m_scaleW = m_deviceW / m_sx;
    m_scaleH = m_deviceH / m_sy;
    m_x = devX / m_sx;
    m_y = devY / m_sy;
}

void PrintSurface::setUserScale(double width, double height)
{
    setScale(width > 0 ? m_deviceW / width : 1, height > 0 ? m_deviceH / height : 1);
}

void PrintSurface::setCharacterScale()
{
    setScale(kCharWidthTwips * m_dpiX / kTwipsPerInch, kLineHeightTwips * m_dpiY / kTwipsPerInch);
}

void PrintSurface::setFontFamily(const QStringList &families)
{
    m_font.setFamilies(families);
    applyFont();
}

void PrintSurface::setFontSize(double points)
{
    m_font.setPointSizeF(points);
    applyFont();
}

void PrintSurface::setItalic(bool italic)
{
    m_font.setItalic(italic);
    applyFont();
}

void PrintSurface::applyFont()
{
    drawWaitingGlyphs();
    m_metrics.reset();
    m_glyphs.reset();
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

void PrintSurface::ensureMetrics() const
{
    if (m_metrics)
        return;
    m_metrics.emplace(m_font, &m_device);
    m_ascentPx = m_metrics->ascent();
    m_heightPx = m_metrics->height();
}

double PrintSurface::textWidth(QStringView text) const
{
    ensureMetrics();
    return m_metrics->horizontalAdvance(text.toString()) / m_sx;
}

double PrintSurface::textHeight() const
{
    ensureMetrics();
    return m_heightPx / m_sy;
}

void PrintSurface::printLine(std::initializer_list<QStringView> items)
{
    m_lineBuffer.truncate(0);
    for (QStringView item : items)
        m_lineBuffer.append(item);
    drawLineText(m_lineBuffer);
}

void PrintSurface::printLine(QStringView text)
{
    m_lineBuffer.truncate(0);
    m_lineBuffer.append(text);
    drawLineText(m_lineBuffer);
}

void PrintSurface::drawLineText(const QString &text)
{
    ensureMetrics();
    const double h = m_heightPx / m_sy;
    // The first line of a page is printed even if it is taller than the page: a new page
    // would not give it more room.
    if (m_y > 0 && m_y + h > m_scaleH)
        newPage();
    if (!text.isEmpty()) {
        const QPointF baseline(m_x * m_sx, m_y * m_sy + m_ascentPx);
        if (!drawPlainText(baseline, text)) {
            drawWaitingGlyphs();
            useTextPen();
            m_painter.drawText(baseline, text);
        }
    }
    m_x = 0;
    m_y += h;
}

// Lines of a listing are plain Latin text, tens of thousands of them: laid out here from a
// table of glyphs and advances made once per font, they skip the text shaper, and the blanks
// between the items cost nothing on the page. Text with any other character goes through
// QPainter::drawText with full shaping.
bool PrintSurface::drawPlainText(QPointF baseline, const QString &text)
{
    if (!m_glyphs) {
        m_glyphs.emplace();
        QRawFont raw = QRawFont::fromFont(m_font);
        if (raw.isValid()) {
            raw.setPixelSize(m_font.pointSizeF() * m_dpiY / 72.0);
            QString chars;
            for (char16_t c = kFirstPlain; c <= kLastPlain; ++c)
                chars.append(QChar(c));
            const QList<quint32> glyphs = raw.glyphIndexesForString(chars);
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
            if (glyphs.size() == chars.size() && advances.size() == chars.size()) {
                for (qsizetype i = 0; i < chars.size(); ++i) {
                    m_glyphs->glyph[i] = glyphs[i];
                    m_glyphs->advance[i] = advances[i].x();
                }
                m_glyphs->raw = raw;
            }
        }
    }
    if (!m_glyphs->raw.isValid())
        return false;

    // The glyphs wait with those of the lines before: a page of lines is drawn as one run,
    // the same glyphs in the same places, and Qt's PDF writer takes far less time over it.
    const qsizetype before = m_runGlyphs.size();
    double x = 0;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        const int i = c - kFirstPlain;
        const quint32 glyph =
            c < kFirstPlain || c > kLastPlain || (c > 0x7E && c < 0xA0) ? 0 : m_glyphs->glyph[i];
        if (glyph == 0) { // not a plain character, or the face has no such character
            m_runGlyphs.resize(before);
            m_runPositions.resize(before);
            return false;
        }
        if (c != u' ' && c != 0xA0) {
            m_runGlyphs.append(glyph);
            m_runPositions.append(baseline + QPointF(x, 0));
        }
        x += m_glyphs->advance[i];
    }
    return true;
}

void PrintSurface::drawWaitingGlyphs()
{
    if (m_runGlyphs.isEmpty())
        return;
    useTextPen();
    QGlyphRun run;
    run.setRawFont(m_glyphs->raw);
    run.setGlyphIndexes(m_runGlyphs);
    run.setPositions(m_runPositions);
    m_painter.drawGlyphRun(QPointF(0, 0), run);
    m_runGlyphs.clear();
    m_runPositions.clear();
}

void PrintSurface::printAt(QStringView text)
{
    if (text.isEmpty())
        return;
    ensureMetrics();
    drawWaitingGlyphs();
    useTextPen();
    m_painter.drawText(QPointF(m_x * m_sx, m_y * m_sy + m_ascentPx), text.toString());
}

void PrintSurface::printCentred(const QString &text, double y, double points)
{
    setFontSize(points);
    const double room = scaleWidth();
    QString shown = text;
    if (textWidth(text) > room) {
        // From the size the proportion suggests, in half points, down until the text fits: a
        // font's width does not follow its size exactly.
        double size =
            std::max(kSmallestFittedPoints, std::floor(2 * points * room / textWidth(text)) / 2);
        setFontSize(size);
        while (textWidth(text) > room && size > kSmallestFittedPoints) {
            size = std::max(kSmallestFittedPoints, size - 0.5);
            setFontSize(size);
        }
        if (textWidth(text) > room) {
            ensureMetrics();
            shown = m_metrics->elidedText(text, Qt::ElideRight, room * m_sx);
        }
    }
    moveTo((room - textWidth(shown)) / 2, y);
    printLine(shown);
}

// Text is always black: the trace colours belong to the traces alone.
void PrintSurface::useTextPen()
{
    if (m_textPen)
        return;
    m_painter.setPen(QPen(Qt::black));
    m_textPen = true;
}

void PrintSurface::newPage()
{
    drawWaitingGlyphs();
    m_device.newPage();
    ++m_pages;
    m_x = 0;
    m_y = 0;
}

void PrintSurface::setLineWidth(double dots)
{
    m_lineWidthDots = dots;
}

void PrintSurface::line(QPointF from, QPointF to, const QColor &colour, Qt::PenStyle style)
{
    drawWaitingGlyphs();
    QPen pen(colour, m_lineWidthDots * m_dpiX / kDotsPerInch, style);
    pen.setCapStyle(Qt::RoundCap);
    m_painter.setPen(pen);
    m_textPen = false;
    m_painter.drawLine(toDevice(from), toDevice(to));
}

void PrintSurface::circle(QPointF centre, double radius, const QColor &colour, FillStyle fill)
{
    drawWaitingGlyphs();
    m_painter.setPen(QPen(colour, m_lineWidthDots * m_dpiX / kDotsPerInch));
    m_textPen = false;
    m_painter.setBrush(fill == FillStyle::Solid ? QBrush(colour) : QBrush(Qt::NoBrush));
    const double r = radius * m_sx;
    m_painter.drawEllipse(toDevice(centre), r, r);
    m_painter.setBrush(Qt::NoBrush);
}

void PrintSurface::circles(const std::vector<QPointF> &centres, double radius,
                           const QColor &colour, FillStyle fill)
{
    drawWaitingGlyphs();
    if (centres.empty())
        return;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const double r = radius * m_sx;
    for (const QPointF &c : centres)
        path.addEllipse(toDevice(c), r, r);
    m_painter.setPen(QPen(colour, m_lineWidthDots * m_dpiX / kDotsPerInch));
    m_textPen = false;
    m_painter.setBrush(fill == FillStyle::Solid ? QBrush(colour) : QBrush(Qt::NoBrush));
    m_painter.drawPath(path);
    m_painter.setBrush(Qt::NoBrush);
}

void PrintSurface::polylines(const std::vector<std::vector<QPointF>> &lines, const QColor &colour)
{
    drawWaitingGlyphs();
    QPainterPath path;
    for (const std::vector<QPointF> &line : lines) {
        if (line.empty())
            continue;
        path.moveTo(toDevice(line.front()));
        for (size_t i = 1; i < line.size(); ++i)
            path.lineTo(toDevice(line[i]));
    }
    if (path.isEmpty())
        return;
    m_painter.setPen(QPen(colour, m_lineWidthDots * m_dpiX / kDotsPerInch, Qt::SolidLine,
                          Qt::RoundCap, Qt::RoundJoin));
    m_textPen = false;
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPath(path);
}

double PrintSurface::lineReach() const
{
    return m_lineWidthDots * m_dpiX / kDotsPerInch / 2;
}

double PrintSurface::circleReach(double radius) const
{
    return radius * m_sx + lineReach();
}

bool PrintSurface::picture(const QString &path, QPointF topLeft, QSizeF size)
{
    drawWaitingGlyphs();
    if (!QFile::exists(path))
        return false;
    const QRectF target(toDevice(topLeft), QSizeF(size.width() * m_sx, size.height() * m_sy));
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer renderer(path);
        if (!renderer.isValid())
            return false;
        // The picture's texts take what the picture says, not the page's current font.
        m_painter.save();
        m_painter.setFont(QFont());
        renderer.render(&m_painter, target);
        m_painter.restore();
        m_textPen = false;
        return true;
    }
    const QImage image(path);
    if (image.isNull())
        return false;
    m_painter.drawImage(target, image);
    return true;
}

QPointF PrintSurface::toDevice(QPointF p) const
{
    return QPointF(p.x() * m_sx, p.y() * m_sy);
}
