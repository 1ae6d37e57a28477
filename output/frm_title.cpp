#include "output/frm_title.h"

#include "acquisition/reading_set.h"
#include "common/app_info.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "common/window_opener.h"
#include "output/data_printout.h"
#include "output/graph_printout.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QFont timesNewRoman(int points, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                   QStringLiteral("DejaVu Serif")});
    f.setStyleHint(QFont::Serif);
    if (points > 0)
        f.setPointSize(points);
    f.setBold(bold);
    return f;
}

// Restores the normal pointer however the printout ends.
struct BusyPointer
{
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

} // namespace

FrmTitle::FrmTitle(const ReadingSet &set, bool graph, std::unique_ptr<QPrinter> printer,
                   Prompter &prompter, std::function<int()> topRow, QWidget *parent)
    : QDialog(parent), m_set(set), m_printer(std::move(printer)),
      m_prompter(prompter), m_topRow(std::move(topRow)), m_range(set.table())
{
    setObjectName(QStringLiteral("FrmTitle"));
    setWindowTitle(msg::kPrintOptions);
    setModal(false);
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    build();

    // Start-up: the caption and the options of the printout, then the range from the table.
    setPrintsGraph(graph);
    m_range.start();
    showRange();
    enableRange();
    connectControls();
}

FrmTitle::~FrmTitle() = default;

void FrmTitle::setPrintsGraph(bool graph)
{
    m_graph = graph;
    m_optCData->setVisible(!graph);
    if (graph && m_optCData->isChecked())
        m_optAll->setChecked(true);
    setWindowTitle(graph ? msg::kPrintGraph : msg::kPrintData);
}

void FrmTitle::build()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(16, 14, 16, 14);
    root->setSpacing(10);

    m_label1 = new QLabel(msg::kTitlePrompt, this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    root->addWidget(m_label1);
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setFont(timesNewRoman(18));
    m_text1->setMinimumWidth(420);
    m_label1->setBuddy(m_text1);
    root->addWidget(m_text1);

    auto *options = new QHBoxLayout;
    auto *group = new QButtonGroup(this);
    m_optAll = new QRadioButton(msg::kOptAll, this);
    m_optAll->setObjectName(QStringLiteral("opt_All"));
    m_optCData = new QRadioButton(msg::kOptActiveSheet, this);
    m_optCData->setObjectName(QStringLiteral("opt_CData"));
    m_optSRange = new QRadioButton(msg::kOptSelectRange, this);
    m_optSRange->setObjectName(QStringLiteral("opt_SRange"));
    for (QRadioButton *b : {m_optAll, m_optCData, m_optSRange}) {
        group->addButton(b);
        options->addWidget(b);
    }
    options->addStretch();
    m_optAll->setChecked(true);
    root->addLayout(options);

    auto *rangeBox = new QGroupBox(this);
    auto *grid = new QGridLayout(rangeBox);
    m_date1 = new QDateEdit(rangeBox);
    m_date1->setObjectName(QStringLiteral("R_date1"));
    m_date2 = new QDateEdit(rangeBox);
    m_date2->setObjectName(QStringLiteral("R_date2"));
    for (QDateEdit *d : {m_date1, m_date2}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(datetext::dateFormat());
    }
    m_time1 = new QComboBox(rangeBox);
    m_time1->setObjectName(QStringLiteral("R_time1"));
    m_time2 = new QComboBox(rangeBox);
    m_time2->setObjectName(QStringLiteral("R_time2"));
    for (QComboBox *c : {m_time1, m_time2}) {
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMinimumContentsLength(10);
        c->setMaxVisibleItems(16);
    }
    grid->addWidget(new QLabel(msg::kRangeFrom, rangeBox), 0, 0);
    grid->addWidget(m_date1, 0, 1);
    grid->addWidget(m_time1, 0, 2);
    grid->addWidget(new QLabel(msg::kRangeTo, rangeBox), 1, 0);
    grid->addWidget(m_date2, 1, 1);
    grid->addWidget(m_time2, 1, 2);
    grid->setColumnStretch(2, 1);
    root->addWidget(rangeBox);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(msg::kOK, this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setFont(timesNewRoman(0, true));
    m_ok->setDefault(true);
    m_ok->setMinimumWidth(96);
    buttons->addWidget(m_ok);
    root->addLayout(buttons);
}

void FrmTitle::connectControls()
{
    for (QRadioButton *b : {m_optAll, m_optCData, m_optSRange})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                enableRange();
        });

    const auto onDate = [this](void (PrintRange::*set)(const QDate &)) {
        return [this, set](const QDate &d) {
            if (!m_range.Form_Ready)
                return;
            (m_range.*set)(d);
            showRange();
        };
    };
    connect(m_date1, &QDateEdit::dateChanged, this, onDate(&PrintRange::setStartDate));
    connect(m_date2, &QDateEdit::dateChanged, this, onDate(&PrintRange::setEndDate));

    const auto onPick = [this](void (PrintRange::*pick)(int)) {
        return [this, pick](int index) {
            if (!m_range.Form_Ready)
                return;
            (m_range.*pick)(index);
            showRange();
        };
    };
    connect(m_time1, &QComboBox::currentIndexChanged, this, onPick(&PrintRange::pickStartTime));
    connect(m_time2, &QComboBox::currentIndexChanged, this, onPick(&PrintRange::pickEndTime));

    connect(m_time1, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (m_range.Form_Ready)
            m_range.setStartTimeText(text);
    });
    connect(m_time2, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (m_range.Form_Ready)
            m_range.setEndTimeText(text);
    });

    connect(m_ok, &QPushButton::clicked, this, &FrmTitle::cmdOK_Click);
}

void FrmTitle::showRange()
{
    const bool ready = m_range.Form_Ready;
    m_range.Form_Ready = false;

    // The limits first: a date outside them would be moved by the picker itself.
    m_date1->setDateRange(m_range.startMinimum(), m_range.startMaximum());
    m_date2->setDateRange(m_range.endMinimum(), m_range.endMaximum());
    m_date1->setDate(m_range.startDate());
    m_date2->setDate(m_range.endDate());

    const auto showList = [](QComboBox *box, const PrintRange::TimeList &list) {
        box->clear();
        box->addItems(list.items);
        box->setCurrentIndex(list.current);
        box->setEditText(list.text);
    };
    showList(m_time1, m_range.startList());
    showList(m_time2, m_range.endList());

    m_range.Form_Ready = ready;
}

void FrmTitle::enableRange()
{
    const bool on = m_optSRange->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{m_date1, m_date2, m_time1, m_time2})
        w->setEnabled(on);
}

printout::PrintInputs FrmTitle::inputs() const
{
    printout::PrintInputs in;
    in.title = m_text1->text();
    // Tested in the order of the printouts: all, range, the table's view.
    if (m_optAll->isChecked())
        in.selection = printout::Selection::All;
    else if (m_optSRange->isChecked())
        in.selection = printout::Selection::Range;
    else if (m_optCData->isChecked() && !m_graph)
        in.selection = printout::Selection::ActiveSheet;
    else
        in.selection = printout::Selection::None;
    in.startDate = m_date1->date();
    in.endDate = m_date2->date();
    in.startTime = m_time1->currentText();
    in.endTime = m_time2->currentText();
    in.topRow = m_topRow ? m_topRow() : 1;
    return in;
}

void FrmTitle::cmdOK_Click()
{
    const printout::PrintInputs in = inputs();
    if (const auto bad = printout::invalidTimeBound(in)) {
        const bool start = *bad == printout::Bound::Start;
        m_prompter.message(start ? msg::kInvalidStartTime : msg::kInvalidEndTime,
                           appinfo::title(), Prompter::Icon::Warning);
        (start ? m_time1 : m_time2)->setFocus();
        return;
    }
    // The table may have been emptied (a new file, a live run) while the dialog was open.
    if (!m_range.hasReadings()) {
        m_prompter.message(msg::kNoDataToPrint, appinfo::title(), Prompter::Icon::Information);
        close();
        return;
    }

    printout::PrintResult result;
    {
        const BusyPointer busy;
        result = m_graph ? printout::Graph_Prnt(*m_printer, m_set, in)
                         : printout::Data_prnt(*m_printer, m_set, in);
    }
    if (result == printout::PrintResult::Printed && m_printer->printerState() == QPrinter::Error)
        result = printout::PrintResult::Failed;
    if (result == printout::PrintResult::NotStarted)
        m_prompter.message(msg::kPrinterNotReady, appinfo::title(), Prompter::Icon::Critical);
    else if (result == printout::PrintResult::Failed)
        m_prompter.message(msg::kPrintFailed, appinfo::title(), Prompter::Icon::Critical);
    Q_EMIT printed(result);
    close();
}

namespace printout {

FrmTitle *Print_Options(QWidget *owner, Prompter &prompter, const ReadingSet &set, bool graph,
                        std::function<int()> topRow)
{
    if (FrmTitle *open = owner ? windows::raiseOpen<FrmTitle>(*owner) : nullptr) {
        open->setPrintsGraph(graph);
        return open;
    }
    // Asked before the printer dialog: nobody should pick a printer for nothing.
    if (!PrintRange(set.table()).hasReadings()) {
        prompter.message(msg::kNoDataToPrint, appinfo::title(), Prompter::Icon::Information);
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!prompter.choosePrinter(*printer))
        return nullptr;

    return windows::show(
        new FrmTitle(set, graph, std::move(printer), prompter, std::move(topRow), owner),
        windows::Kind::Form);
}

} // namespace printout
