#include "view/frm_data.h"

#include "acquisition/reading_set.h"
#include "view/readings_table.h"
#include "view/table_texts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

FrmData::FrmData(QWidget *parent)
    : QWidget(parent), m_set(new ReadingSet(this)), MODEL(m_set->MODEL),
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
    layout->addWidget(m_tabs);
    // The progress display of a download, below the tabs and hidden until needed.
    auto *progress = new QHBoxLayout;
    m_progressLabel = new QLabel(this);
    m_progressLabel->setObjectName(QStringLiteral("lblReading"));
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setTextVisible(false);
    progress->addWidget(m_progressLabel);
    progress->addWidget(m_progressBar, 1);
    layout->addLayout(progress);
    showProgress(false);
    m_tabs->setCurrentIndex(1);
    connectReadingSet();
    m_set->Align_Grid();
    applyInitialColumnWidths();
}

FrmData::~FrmData() = default;

ReadingsTable &FrmData::table()
{
    return m_set->table();
}

void FrmData::connectReadingSet()
{
    connect(m_set, &ReadingSet::serialTextChanged, this, [this](const QString &text) {
        for (QLabel *l : m_serial)
            l->setText(text);
    });
    connect(m_set, &ReadingSet::locationCaptionChanged, this, [this](const QString &text) {
        for (QLabel *l : m_location)
            l->setText(text);
    });
    connect(m_set, &ReadingSet::unitCaptionsChanged, this,
            [this](const QString &valueUnit, const QString &humidityUnit) {
                m_axisLabels[36]->setText(valueUnit);
                m_axisLabels[37]->setText(humidityUnit);
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
    auto *layout = new QGridLayout(tab);
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
    layout->addLayout(head, 0, 0, 1, 3);

    // Unit captions above the axes.
    for (int n : {36, 37}) {
        m_axisLabels[n] = new QLabel;
        m_axisLabels[n]->setObjectName(QStringLiteral("Label%1").arg(n));
    }
    layout->addWidget(m_axisLabels[36], 1, 0);
    layout->addWidget(m_axisLabels[37], 1, 2, Qt::AlignRight);

    m_graph = new QWidget;
    m_graph->setObjectName(QStringLiteral("PicGraph"));
    m_graph->setMinimumSize(400, 240);
    m_graph->setAutoFillBackground(true);
    layout->addWidget(m_graph, 2, 1);
    m_vscroll = new QScrollBar(Qt::Vertical);
    m_vscroll->setObjectName(QStringLiteral("VScroll1"));
    m_vscroll->setRange(0, 0);
    m_hscroll = new QScrollBar(Qt::Horizontal);
    m_hscroll->setObjectName(QStringLiteral("HScroll1"));
    m_hscroll->setRange(0, 0);
    layout->addWidget(m_vscroll, 2, 3);
    layout->addWidget(m_hscroll, 3, 1);

    // Left axis Label2..Label12, right axis Label35..Label25, dates and times below.
    auto *left = new QVBoxLayout;
    for (int n = 2; n <= 12; ++n) {
        m_axisLabels[n] = new QLabel;
        left->addWidget(m_axisLabels[n]);
    }
    auto *right = new QVBoxLayout;
    for (int n = 35; n >= 25; --n) {
        m_axisLabels[n] = new QLabel;
        right->addWidget(m_axisLabels[n]);
    }
    layout->addLayout(left, 2, 0);
    layout->addLayout(right, 2, 2);
    auto *dates = new QHBoxLayout;
    auto *times = new QHBoxLayout;
    for (int n : {13, 18, 20, 22, 24, 15}) {
        m_axisLabels[n] = new QLabel;
        dates->addWidget(m_axisLabels[n]);
    }
    for (int n : {14, 17, 19, 21, 23, 16}) {
        m_axisLabels[n] = new QLabel;
        times->addWidget(m_axisLabels[n]);
    }
    layout->addLayout(dates, 4, 1);
    layout->addLayout(times, 5, 1);
    for (int n = 2; n <= 35; ++n)
        if (m_axisLabels[n])
            m_axisLabels[n]->setObjectName(QStringLiteral("Label%1").arg(n));

    m_text1 = new QLineEdit;
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    m_text2 = new QLineEdit;
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setReadOnly(true);
    auto *readouts = new QHBoxLayout;
    readouts->addWidget(m_text1);
    readouts->addWidget(m_text2);
    layout->addLayout(readouts, 6, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);
}

QLabel *FrmData::label(int number) const
{
    return number >= 0 && number < int(m_axisLabels.size()) ? m_axisLabels[number].data() : nullptr;
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
    // The graph arrives with the graph renderer; until then there is nothing to draw.
}

void FrmData::Clear_screen()
{
    for (int n = 2; n <= 35; ++n)
        if (QLabel *l = label(n))
            l->clear();
    m_graph->update();
}

void FrmData::resetView()
{
    m_hscroll->setRange(0, 0);
    m_hscroll->setValue(0);
    m_vscroll->setRange(0, 0);
    m_vscroll->setValue(0);
    m_graph->unsetCursor();
    zoomin = false;
    zoomout = false;
    R = 20;
}

void FrmData::showProgress(bool visible)
{
    m_progressLabel->setVisible(visible);
    m_progressBar->setVisible(visible);
}

void FrmData::setCaption(const QString &caption)
{
    m_caption = caption;
    setWindowTitle(caption);
    Q_EMIT captionChanged(caption);
}
