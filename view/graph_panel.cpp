#include "view/graph_panel.h"

#include "common/datetext.h"
#include "view/graph_controller.h"
#include "view/graph_scales.h"
#include "view/plot_widget.h"

#include <QEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int kGap = 4;

} // namespace

GraphPanel::GraphPanel(GraphController &graph, QWidget *parent) : QWidget(parent), m_graph(graph)
{
    m_plot = new PlotWidget(graph, this);
    m_hscroll = new QScrollBar(Qt::Horizontal, this);
    m_hscroll->setObjectName(QStringLiteral("HScroll1"));
    m_hscroll->setRange(0, 0);
    m_vscroll = new QScrollBar(Qt::Vertical, this);
    m_vscroll->setObjectName(QStringLiteral("VScroll1"));
    m_vscroll->setRange(0, 0);

    const auto make = [this](int n, Qt::Alignment a) {
        auto *l = new QLabel(this);
        l->setObjectName(QStringLiteral("Label%1").arg(n));
        l->setAlignment(a);
        m_labels[n] = l;
    };
    for (int n : graph::kLeftAxisLabels)
        make(n, Qt::AlignRight | Qt::AlignVCenter);
    for (int n : graph::kRightAxisLabels)
        make(n, Qt::AlignLeft | Qt::AlignVCenter);
    for (int n : graph::kDateLabels)
        make(n, Qt::AlignHCenter | Qt::AlignVCenter);
    for (int n : graph::kTimeLabels)
        make(n, Qt::AlignHCenter | Qt::AlignVCenter);
    make(graph::kValueUnitLabel, Qt::AlignLeft | Qt::AlignVCenter);
    make(graph::kHumidityUnitLabel, Qt::AlignLeft | Qt::AlignVCenter);

    connect(&m_graph, &GraphController::labelsChanged, this, &GraphPanel::showTexts);
    showTexts();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QLabel *GraphPanel::label(int number) const
{
    return number >= 0 && number < int(m_labels.size()) ? m_labels[number] : nullptr;
}

void GraphPanel::showTexts()
{
    for (int n = 2; n <= 35; ++n)
        if (m_labels[n])
            m_labels[n]->setText(m_graph.label(n));
}

int GraphPanel::valueWidth() const
{
    return fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + kGap;
}

int GraphPanel::dateWidth() const
{
    // The widest date and time texts of the locale: two-digit days and months, a late hour.
    const QFontMetrics fm = fontMetrics();
    const int date = fm.horizontalAdvance(datetext::dateText(QDate(2000, 12, 28)));
    const int time = fm.horizontalAdvance(datetext::timeText(QTime(23, 58, 58)));
    return std::max(date, time) + 2 * kGap;
}

GraphPanel::Margins GraphPanel::margins() const
{
    const int line = fontMetrics().height();
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int side = std::max(valueWidth(), dateWidth() / 2) + kGap;
    return Margins{side, line + line / 2 + kGap, side + kGap + scroll,
                   line / 2 + 2 * line + 2 * kGap + scroll};
}

QSize GraphPanel::sizeHint() const
{
    const Margins m = margins();
    return m_plot->sizeHint() + QSize(m.left + m.right, m.top + m.bottom);
}

QSize GraphPanel::minimumSizeHint() const
{
    const Margins m = margins();
    return m_plot->minimumSizeHint() + QSize(m.left + m.right, m.top + m.bottom);
}

void GraphPanel::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    placeChildren();
}

void GraphPanel::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange)
        placeChildren();
}

void GraphPanel::placeChildren()
{
    const Margins m = margins();
    const int line = fontMetrics().height();
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QRect plot(m.left, m.top, std::max(1, width() - m.left - m.right),
                     std::max(1, height() - m.top - m.bottom));
    m_plot->setGeometry(plot);

    // Grid lines as the picture draws them, in this widget's coordinates.
    const double dpr = devicePixelRatioF();
    const int pw = int(std::lround(plot.width() * dpr));
    const int ph = int(std::lround(plot.height() * dpr));
    const auto lineX = [&](int k) { return plot.left() + int(std::lround(graph::gridLine(k, pw) / dpr)); };
    const auto lineY = [&](int k) { return plot.top() + int(std::lround(graph::gridLine(k, ph) / dpr)); };

    const int valueW = valueWidth();
    for (int j = 0; j <= 10; ++j) {
        const int y = lineY(j) - line / 2;
        m_labels[graph::kLeftAxisLabels[j]]->setGeometry(plot.left() - kGap - valueW, y, valueW,
                                                         line);
        m_labels[graph::kRightAxisLabels[j]]->setGeometry(plot.right() + 1 + kGap, y, valueW,
                                                          line);
    }
    const int dateW = dateWidth();
    const int datesTop = plot.bottom() + 1 + line / 2 + kGap;
    for (int p = 0; p <= 5; ++p) {
        const int x = lineX(2 * p) - dateW / 2;
        m_labels[graph::kDateLabels[p]]->setGeometry(x, datesTop, dateW, line);
        m_labels[graph::kTimeLabels[p]]->setGeometry(x, datesTop + line, dateW, line);
    }
    m_labels[graph::kValueUnitLabel]->setGeometry(kGap, 0, m.left + plot.width() / 3, line);
    m_labels[graph::kHumidityUnitLabel]->setGeometry(plot.right() + 1 + kGap, 0, valueW, line);

    m_hscroll->setGeometry(plot.left(), datesTop + 2 * line + kGap, plot.width(), scroll);
    m_vscroll->setGeometry(plot.right() + 1 + kGap + valueW + kGap, plot.top(), scroll,
                           plot.height());
}
