#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/datetext.h"
#include "common/numfmt.h"
#include "view/graph_controller.h"

#include <QDateTime>

#include <memory>

namespace bench {

namespace {

// The plot area of a maximised window on a 1920 x 1080 screen.
constexpr QSize kPlotPixels(1600, 800);

// Every figure draws the graph as a user with limits sees it: a high and a low line per scale.
const std::vector<graph::LimitLine> kLimitLines{{3, 25.0, graph::kHighLimitColour},
                                                {3, 15.0, graph::kLowLimitColour},
                                                {4, 70.0, graph::kHighLimitColour},
                                                {4, 40.0, graph::kLowLimitColour}};

struct Graph
{
    ReadingSet set;
    std::unique_ptr<GraphController> graph;

    explicit Graph(int model)
    {
        setFromImage(set, model, fullMemoryImage(model));
        set.Fill_Grid();
        graph = std::make_unique<GraphController>(set);
        graph->setLimitLines(kLimitLines);
        graph->setSurface(kPlotPixels, graph::extentFor(kPlotPixels.width()),
                          graph::extentFor(kPlotPixels.height()));
    }
};

bool drewTraces(const GraphController &g)
{
    const QImage &p = g.picture();
    for (int y = 0; y < p.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(p.constScanLine(y));
        for (int x = 0; x < p.width(); ++x)
            if (line[x] == graph::kValueColour)
                return true;
    }
    return false;
}

void check(Stopwatch &sw, const GraphController &g, bool traces = true)
{
    if (!g.showsGraph() || g.label(2).isEmpty() || (traces && !drewTraces(g)))
        sw.fail(QStringLiteral("no graph was drawn"));
}

// A live run of a humidity logger, a row every 10 seconds, grown to 300,000 rows once.
class LiveGraph
{
public:
    LiveGraph()
    {
        m_set.MODEL = quint8(kHumidityModel);
        m_set.Format_Grid();
        ReadingsTable &t = m_set.table();
        t.beginBatch();
        while (t.rows() <= 300000)
            appendRow();
        t.endBatch();
        m_graph = std::make_unique<GraphController>(m_set);
        m_graph->setLimitLines(kLimitLines);
        m_graph->setSurface(kPlotPixels, graph::extentFor(kPlotPixels.width()),
                            graph::extentFor(kPlotPixels.height()));
        m_graph->draw();
    }

    GraphController &graph() { return *m_graph; }

    void appendRow()
    {
        ReadingsTable &t = m_set.table();
        const int r = t.appendRow();
        t.setText(r, 0, QString::number(r));
        t.setMoment(r, m_time.date(), m_time.time(), datetext::dateText(m_time.date()),
                    datetext::timeText(m_time.time()));
        t.setText(r, 3, numfmt::picture(20.0 + (r % 97) * 0.1, "#00.0"));
        if (r % 50 == 0) {
            t.setCell(r, 4, tabletext::kInvalid, true);
        } else {
            t.setText(r, 4, numfmt::picture(45.0 + (r % 31) * 0.5, "#00.0"));
        }
        m_time = m_time.addSecs(10);
    }

private:
    ReadingSet m_set;
    std::unique_ptr<GraphController> m_graph;
    QDateTime m_time{QDate(2024, 6, 1), QTime(8, 0), Qt::UTC};
};

} // namespace

void drawGraphAfterFill(Stopwatch &sw)
{
    // A new set each run: the first redraw reads every value cell of the table.
    Graph g(kTemperatureModel);
    sw.start();
    g.graph->draw();
    sw.stop();
    check(sw, *g.graph);
}

void redrawGraphFull(Stopwatch &sw)
{
    static const auto g = std::make_unique<Graph>(kTemperatureModel);
    sw.start();
    g->graph->draw();
    sw.stop();
    check(sw, *g->graph);
}

void redrawGraphZoomed(Stopwatch &sw)
{
    // Three zoom-in clicks (2 x 2 x 3 along the time axis for this set); each run is one
    // scroll step.
    static const std::unique_ptr<Graph> g = [] {
        auto z = std::make_unique<Graph>(kTemperatureModel);
        z->graph->draw();
        z->graph->zoomin = true;
        for (int i = 0; i < 3; ++i) {
            z->graph->press(Qt::LeftButton, QPointF(0, 0));
            z->graph->release(Qt::LeftButton);
        }
        return z;
    }();
    static int step = 0;
    GraphController &c = *g->graph;
    const int hMax = c.view().hMax;
    step = (step + 1) % 16;
    sw.start();
    c.setHValue(hMax * step / 16 + 1);
    sw.stop();
    if (hMax == 0)
        sw.fail(QStringLiteral("the view did not zoom"));
    check(sw, c, false); // a part of the view may hold no reading
}

void redrawGraphLive300k(Stopwatch &sw)
{
    // The redraw after each live reading of a long run: one row more, then DRAW_GRAPH.
    static LiveGraph live;
    live.appendRow();
    sw.start();
    live.graph().draw();
    sw.stop();
    check(sw, live.graph());
}

} // namespace bench
