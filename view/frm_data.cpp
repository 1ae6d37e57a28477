#include "view/frm_data.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/text_from_file.h"
#include "run/run_document.h"
#include "view/summary_view.h"
#include "view/graph_controller.h"
#include "view/graph_panel.h"
#include "view/graph_scales.h"
#include "view/plot_widget.h"
#include "view/unit_switch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

FrmData::FrmData(RunDocument *doc, QWidget *parent)
    : QWidget(parent), m_ownDoc(doc ? nullptr : std::make_unique<RunDocument>()),
      m_doc(doc ? doc : m_ownDoc.get()), m_set(&m_doc->set()),
      m_graph(new GraphController(*m_set, this)),
      zoomin(m_graph->zoomin), zoomout(m_graph->zoomout), R(m_graph->R), MODEL(m_set->MODEL),
      Cels_Faren(m_set->Cels_Faren)
{
    setObjectName(QStringLiteral("FrmData"));
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    auto *tableTab = new QWidget;
    auto *graphTab = new QWidget;
    m_tabs->addTab(tableTab, QStringLiteral("Table"));
    m_tabs->addTab(graphTab, QStringLiteral("Graph"));
    buildTableTab(tableTab);
    buildGraphTab(graphTab);
    m_summary = new SummaryView(*m_doc);
    m_tabs->addTab(m_summary, QStringLiteral("Summary"));
    connect(m_doc, &RunDocument::summaryChanged, this, &FrmData::showLimits);
    connect(m_doc, &RunDocument::titleChanged, this, &FrmData::showTitle);
    layout->addWidget(m_tabs);
    // The progress display of a download, below the tabs and hidden until needed.
    auto *progress = new QHBoxLayout;
    m_progressLabel = new QLabel(this);
    m_progressLabel->setObjectName(QStringLiteral("lblReading"));
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setTextVisible(false);
    m_timeLeftLabel = new QLabel(this);
    m_timeLeftLabel->setObjectName(QStringLiteral("lblTimeLeft"));
    progress->addWidget(m_progressLabel);
    progress->addWidget(m_progressBar, 1);
    progress->addWidget(m_timeLeftLabel);
    layout->addLayout(progress);
    showProgress(false);
    m_tabs->setCurrentIndex(1);
    m_tab = 1;
    connect(m_tabs, &QTabWidget::currentChanged, this, &FrmData::tabChanged);
    connectReadingSet();
    m_set->Align_Grid();
    applyInitialColumnWidths();
}

FrmData::~FrmData()
{
    // The views and the graph read the document: they go before a document of the window's own.
    const QObjectList children = this->children();
    qDeleteAll(children);
}

ReadingsTable &FrmData::table()
{
    return m_set->table();
}

void FrmData::connectReadingSet()
{
    // The captions come from the file or the logger: shown as text, never as markup, and with
    // their control characters made visible.
    for (QLabel *l : {m_serial[0], m_serial[1], m_location[0], m_location[1]})
        l->setTextFormat(Qt::PlainText);
    connect(m_set, &ReadingSet::serialTextChanged, this, [this](const QString &text) {
        for (QLabel *l : m_serial)
            l->setText(textfromfile::shown(text));
    });
    connect(m_set, &ReadingSet::locationCaptionChanged, this, [this](const QString &text) {
        for (QLabel *l : m_location)
            l->setText(textfromfile::shown(text));
    });
    connect(m_set, &ReadingSet::unitCaptionsChanged, this,
            [this](const QString &valueUnit, const QString &humidityUnit) {
                label(graph::kValueUnitLabel)->setText(valueUnit);
                label(graph::kHumidityUnitLabel)->setText(humidityUnit);
            });
    connect(m_set, &ReadingSet::unitOptionsVisibleChanged, this, &FrmData::setUnitOptionsVisible);
    // A refilled table resets the view's header; the first three columns get their designed
    // widths back (the others keep the default width).
    connect(&m_set->table(), &QAbstractItemModel::modelReset, this,
            &FrmData::applyInitialColumnWidths);
    connect(&m_set->table(), &QAbstractItemModel::columnsInserted, this,
            &FrmData::applyInitialColumnWidths);
    setUnitOptionsVisible(m_set->unitOptionsVisible());
}

void FrmData::applyInitialColumnWidths()
{
    const QFontMetrics fm = m_grid->horizontalHeader()->fontMetrics();
    const QString widths[] = {tabletext::kNumberWidth, tabletext::kDateWidth,
                              tabletext::kTimeWidth};
    const int columns = std::min(3, m_set->table().cols());
    for (int c = 0; c < columns; ++c)
        m_grid->horizontalHeader()->resizeSection(c, fm.horizontalAdvance(widths[c]) + 8);
}

void FrmData::setUnitOptionsVisible(bool visible)
{
    for (QRadioButton *b : {m_optCels, m_optFaren, m_optCels1, m_optFaren1})
        b->setVisible(visible);
}

void FrmData::Format_Grid()
{
    m_set->Format_Grid();
}

void FrmData::Put_Unit()
{
    m_set->Put_Unit();
}

void FrmData::buildTableTab(QWidget *tab)
{
    auto *layout = new QVBoxLayout(tab);
    auto *head = new QGridLayout;
    m_serialCap[0] = new QLabel(QStringLiteral("Serial No"));
    m_serial[0] = new QLabel;
    m_serial[0]->setObjectName(QStringLiteral("lserno1"));
    m_locationCap[0] = new QLabel(QStringLiteral("Location"));
    m_location[0] = new QLabel;
    m_location[0]->setObjectName(QStringLiteral("Llocation1"));
    head->addWidget(m_serialCap[0], 0, 0);
    head->addWidget(m_serial[0], 0, 1);
    head->addWidget(m_locationCap[0], 1, 0);
    head->addWidget(m_location[0], 1, 1);
    m_optCels1 = new QRadioButton(QStringLiteral("°C"));
    m_optCels1->setObjectName(QStringLiteral("Optcels1"));
    m_optFaren1 = new QRadioButton(QStringLiteral("°F"));
    m_optFaren1->setObjectName(QStringLiteral("OptFaren1"));
    m_optCels1->setChecked(true);
    head->addWidget(m_optCels1, 0, 3);
    head->addWidget(m_optFaren1, 1, 3);
    head->setColumnStretch(2, 1);
    layout->addLayout(head);

    m_grid = new QTableView;
    m_grid->setObjectName(QStringLiteral("FGrid"));
    m_grid->setModel(&m_set->table());
    // Fixed row height: never size rows to their contents, so huge tables stay smooth.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_grid, 1);
}

void FrmData::buildGraphTab(QWidget *tab)
{
    auto *layout = new QVBoxLayout(tab);
    m_serialCap[1] = new QLabel(QStringLiteral("Serial No"));
    m_serial[1] = new QLabel;
    m_serial[1]->setObjectName(QStringLiteral("lserno2"));
    m_locationCap[1] = new QLabel(QStringLiteral("Location"));
    m_location[1] = new QLabel;
    m_location[1]->setObjectName(QStringLiteral("Llocation2"));
    auto *head = new QGridLayout;
    head->addWidget(m_serialCap[1], 0, 0);
    head->addWidget(m_serial[1], 0, 1);
    head->addWidget(m_locationCap[1], 1, 0);
    head->addWidget(m_location[1], 1, 1);
    m_optCels = new QRadioButton(QStringLiteral("°C"));
    m_optCels->setObjectName(QStringLiteral("OptCels"));
    m_optFaren = new QRadioButton(QStringLiteral("°F"));
    m_optFaren->setObjectName(QStringLiteral("Optfaren"));
    m_optCels->setChecked(true);
    head->addWidget(m_optCels, 0, 3);
    head->addWidget(m_optFaren, 1, 3);
    head->setColumnStretch(2, 1);
    layout->addLayout(head);

    m_panel = new GraphPanel(*m_graph);
    layout->addWidget(m_panel, 1);
    connect(m_graph, &GraphController::viewChanged, this, &FrmData::showView);
    connect(m_graph, &GraphController::readoutsChanged, this, &FrmData::showReadouts);
    connect(HScroll1(), &QScrollBar::valueChanged, m_graph, &GraphController::setHValue);
    connect(VScroll1(), &QScrollBar::valueChanged, m_graph, &GraphController::setVValue);

    m_text1 = new QLineEdit;
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    m_text2 = new QLineEdit;
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setReadOnly(true);
    auto *readouts = new QHBoxLayout;
    readouts->addWidget(m_text1);
    readouts->addWidget(m_text2);
    layout->addLayout(readouts);

    // One switch per unit, bound to the buttons of both tabs. The pair of the current tab is
    // the one in use; the other is brought into step when the tab changes.
    connect(m_optCels, &QRadioButton::clicked, this, &FrmData::switchToCelsius);
    connect(m_optCels1, &QRadioButton::clicked, this, &FrmData::switchToCelsius);
    connect(m_optFaren, &QRadioButton::clicked, this, &FrmData::switchToFahrenheit);
    connect(m_optFaren1, &QRadioButton::clicked, this, &FrmData::switchToFahrenheit);
    m_optCels1->setEnabled(false);
    m_optFaren1->setEnabled(false);
    showView();
    showReadouts();
}

QWidget *FrmData::PicGraph() const
{
    return m_panel->plot();
}

QScrollBar *FrmData::HScroll1() const
{
    return m_panel->hscroll();
}

QScrollBar *FrmData::VScroll1() const
{
    return m_panel->vscroll();
}

void FrmData::showView()
{
    // The scroll bars carry the view: value = left (top) edge, maximum = extent - visible size.
    const graph::View &v = m_graph->view();
    const auto show = [](QScrollBar *bar, int value, int max, double visible) {
        const QSignalBlocker block(bar);
        bar->setRange(0, max);
        bar->setValue(value);
        bar->setPageStep(std::max(1, int(visible)));
        bar->setSingleStep(std::max(1, int(visible / 10)));
    };
    show(HScroll1(), v.hValue, v.hMax, v.width());
    show(VScroll1(), v.vValue, v.vMax, v.height());
}

void FrmData::showReadouts()
{
    const QColor colour = QColor::fromRgb(m_graph->readoutColour());
    for (QLineEdit *t : {m_text1, m_text2}) {
        QPalette p = t->palette();
        p.setColor(QPalette::Text, colour);
        t->setPalette(p);
    }
    m_text1->setText(m_graph->text1());
    m_text2->setText(m_graph->text2());
}

QLabel *FrmData::label(int number) const
{
    return m_panel->label(number);
}

void FrmData::setSerialCaption(const QString &text)
{
    m_set->setSerialText(text);
}

void FrmData::setLocationCaption(const QString &text)
{
    m_set->setLocationCaption(text);
}

QString FrmData::serialCaption() const
{
    return m_set->SerialText();
}
QString FrmData::locationCaption() const
{
    return m_set->locationCaption();
}

void FrmData::setHeaderLabelsVisible(bool visible)
{
    for (int i = 0; i < 2; ++i) {
        m_serial[i]->setVisible(visible);
        m_serialCap[i]->setVisible(visible);
        m_location[i]->setVisible(visible);
        m_locationCap[i]->setVisible(visible);
    }
}

void FrmData::DRAW_GRAPH()
{
    m_graph->draw();
}

void FrmData::Clear_screen()
{
    m_graph->clear();
}

void FrmData::resetView()
{
    PicGraph()->unsetCursor();
    m_graph->resetView();
}

void FrmData::activated()
{
    PicGraph()->unsetCursor();
    m_graph->endZoomModes();
}

void FrmData::switchToCelsius()
{
    units::toCelsius(table(), Cels_Faren);
    DRAW_GRAPH();
}

void FrmData::switchToFahrenheit()
{
    units::toFahrenheit(table(), Cels_Faren);
    DRAW_GRAPH();
}

void FrmData::showLimits()
{
    using analysis::Quantity;
    std::vector<graph::LimitLine> lines;
    const int columns[2] = {tablecol::kValueCol, tablecol::kHumidityCol};
    const auto &sensors = m_doc->summary().sensors;
    for (size_t i = 0; i < 2; ++i) {
        const analysis::Bounds none;
        const analysis::Bounds &b = i < sensors.size() ? sensors[i].limits : none;
        constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
        table().setTintLimits(columns[i], b.high.value_or(kNone), b.low.value_or(kNone));
        if (b.high)
            lines.push_back({columns[i], *b.high, graph::kHighLimitColour});
        if (b.low)
            lines.push_back({columns[i], *b.low, graph::kLowLimitColour});
    }
    m_graph->setLimitLines(std::move(lines));
}

void FrmData::tabChanged(int index)
{
    const int previous = m_tab;
    m_tab = index;
    // The option pairs and the axis labels change only between the "Graph" tab and the
    // others; the "Summary" tab has no option pair and, like "Table", no axis labels.
    if ((previous == 1) == (index == 1))
        return;
    const bool toTable = previous == 1;
    m_optCels->setEnabled(!toTable);
    m_optFaren->setEnabled(!toTable);
    m_optCels1->setEnabled(toTable);
    m_optFaren1->setEnabled(toTable);
    if (toTable) {
        copyUnitOption(m_optCels, m_optCels1);
        copyUnitOption(m_optFaren, m_optFaren1);
    } else {
        copyUnitOption(m_optCels1, m_optCels);
        copyUnitOption(m_optFaren1, m_optFaren);
    }
    for (int n = 2; n <= 37; ++n)
        if (QLabel *l = label(n))
            l->setVisible(!toTable);
}

void FrmData::copyUnitOption(QRadioButton *from, QRadioButton *to)
{
    // A button selected this way counts as a click on it: its switch runs (and, the flag
    // already matching, only redraws).
    if (!from->isChecked() || to->isChecked())
        return;
    to->setChecked(true);
    if (to == m_optCels || to == m_optCels1)
        switchToCelsius();
    else
        switchToFahrenheit();
}

void FrmData::showProgress(bool visible)
{
    m_progressLabel->setVisible(visible);
    m_progressBar->setVisible(visible);
    m_timeLeftLabel->clear();
    m_timeLeftLabel->setVisible(visible);
}

void FrmData::setCaption(const QString &caption)
{
    m_doc->setTitle(caption);
}

QString FrmData::caption() const { return m_doc->title(); }

void FrmData::showTitle(const QString &title)
{
    // A file's name, or a run's logger and location.
    const QString shown = textfromfile::shown(title);
    setWindowTitle(shown);
    Q_EMIT captionChanged(shown);
}
