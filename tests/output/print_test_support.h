#pragma once

// Shared by the printout tests: reading sets built straight into the table, printing to a
// PDF file, and reading the PDF back with poppler's tools (not with anything of ours).

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/datetext.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace printtest {

// One reading of a test set: its moment and its cell texts (value, humidity).
struct Reading
{
    QDateTime at;
    QString value;
    QString humidity;
};

// A reading set of `model` whose table holds `readings`, oldest first, laid out as the
// program lays it out; the cells are written as the table writes them (date and time texts
// through the shared helpers, "***" in red).
inline void fillSet(ReadingSet *set, int model, const QList<Reading> &readings,
                    bool celsius = true)
{
    set->MODEL = quint8(model);
    set->Cels_Faren = celsius ? -1 : 0;
    set->setLoggerIdentity({QStringLiteral("0045"), QStringLiteral("06 05 13"),
                            QStringLiteral("Cold Store 2")},
                           QStringLiteral("Cold Store 2    "));
    ReadingsTable &t = set->table();
    t.setRows(1);
    set->Format_Grid();
    set->Put_Unit();
    t.setRows(int(readings.size()) + 1);
    for (int i = 0; i < readings.size(); ++i) {
        const Reading &r = readings[i];
        const int row = i + 1;
        t.setText(row, 0, QString::number(row));
        t.setText(row, 1, datetext::dateText(r.at.date()));
        t.setText(row, 2, datetext::timeText(r.at.time()));
        t.setCell(row, 3, r.value, r.value == QLatin1String("***"));
        if (t.cols() > 4)
            t.setCell(row, 4, r.humidity, r.humidity == QLatin1String("***"));
    }
}

inline std::unique_ptr<ReadingSet> makeSet(int model, const QList<Reading> &readings,
                                           bool celsius = true)
{
    auto set = std::make_unique<ReadingSet>();
    fillSet(set.get(), model, readings, celsius);
    return set;
}

// Readings every `minutes` from `start`, values from `value(i)`.
inline QList<Reading> series(const QDateTime &start, int count, int minutes,
                             const std::function<QString(int)> &value,
                             const std::function<QString(int)> &humidity = {})
{
    QList<Reading> out;
    for (int i = 0; i < count; ++i)
        out.append({start.addSecs(qint64(i) * minutes * 60), value(i),
                    humidity ? humidity(i) : QString()});
    return out;
}

// Where a test writes its PDFs: a temporary folder, or the folder named by KESTRUN_KEEP_PRINTS
// so the pages can be looked at afterwards.
class OutputDir
{
public:
    OutputDir() : m_keep(qEnvironmentVariable("KESTRUN_KEEP_PRINTS"))
    {
        if (!m_keep.isEmpty())
            QDir().mkpath(m_keep);
    }
    bool isValid() const { return m_keep.isEmpty() ? m_tmp.isValid() : QDir(m_keep).exists(); }
    QString filePath(const QString &name) const
    {
        return m_keep.isEmpty() ? m_tmp.filePath(name) : QDir(m_keep).filePath(name);
    }

private:
    QString m_keep;
    QTemporaryDir m_tmp;
};

inline std::unique_ptr<QPrinter> pdfPrinter(const QString &path)
{
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(path);
    return p;
}

inline QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of the PDF, page by page (pdftotext separates pages with a form feed), each line
// with its runs of blanks made one blank: the tool rebuilds blanks from glyph positions.
inline QList<QStringList> pdfPages(const QString &path)
{
    const QString text = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QList<QStringList> pages;
    const QStringList raw = text.split(QLatin1Char('\f'));
    for (const QString &page : raw) {
        QStringList lines;
        for (const QString &line : page.split(QLatin1Char('\n'))) {
            const QString s = line.simplified();
            if (!s.isEmpty())
                lines << s;
        }
        pages << lines;
    }
    while (!pages.isEmpty() && pages.back().isEmpty())
        pages.removeLast();
    return pages;
}

inline QStringList pdfLines(const QString &path)
{
    QStringList all;
    for (const QStringList &p : pdfPages(path))
        all << p;
    return all;
}

// A page rendered without smoothing, so a trace keeps its exact colour.
inline QImage renderPage(const QString &path, int dpi, int page = 1)
{
    const QString base = path + QStringLiteral(".render");
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-aa"),
         QStringLiteral("no"), QStringLiteral("-aaVector"), QStringLiteral("no"),
         QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
         QStringLiteral("-singlefile"), path, base});
    return QImage(base + QStringLiteral(".png"));
}

// One word of a page with its box in points from the page's top left, as pdftotext -bbox
// reports it.
struct Word
{
    QString text;
    QRectF box;
};

inline QList<Word> pdfWords(const QString &path, int page = 1)
{
    const QString html = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                              QStringLiteral("-l"), QString::number(page), path,
                              QStringLiteral("-")});
    static const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">"
        "([^<]*)</word>"));
    QList<Word> words;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        const QPointF tl(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF br(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append({text, QRectF(tl, br)});
    }
    return words;
}

// The width of a page in the units of pdfWords().
inline double pdfPageWidth(const QString &path, int page = 1)
{
    const QString html = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                              QStringLiteral("-l"), QString::number(page), path,
                              QStringLiteral("-")});
    static const QRegularExpression re(QStringLiteral("<page width=\"([\\d.]+)\""));
    return re.match(html).captured(1).toDouble();
}

// The words of a printed title too wide for the page at its size: all of them on the paper,
// and the line they make, with blanks collapsed. The title is the first line of the page.
inline QString fittedTitle(const QString &pdf)
{
    const QList<Word> words = pdfWords(pdf);
    const double width = pdfPageWidth(pdf);
    if (words.isEmpty() || width <= 0)
        return QStringLiteral("(no words or no page width)");
    const double top = words.first().box.top();
    QStringList line;
    for (const Word &w : words) {
        if (w.box.left() < 0 || w.box.right() > width)
            return QStringLiteral("off the paper: ") + w.text;
        if (qAbs(w.box.top() - top) < 1)
            line << w.text;
    }
    return line.join(QLatin1Char(' '));
}

// Collapses blanks as pdfPages() does, for expected lines.
inline QString simple(const QString &s)
{
    return s.simplified();
}

} // namespace printtest
