#include "device/frm_data1.h"

#include "common/messages.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

template<typename W> W *named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

// Only text changed by the program goes back into a box, so the cursor of a box being typed
// in does not jump.
void mirror(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

int charWidth(const QWidget *w, int chars)
{
    return w->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars;
}

} // namespace

Frmdata1::Frmdata1(DeviceHost &host, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::Dialog), m_logic(host)
{
    setObjectName(QStringLiteral("Frmdata1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(msg::kStartDeviceCaption);

    // Clock.
    m_dtpDate = named(new QDateEdit, "DtpDate");
    m_dtpDate->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    m_dtpDate->setDateRange(StartDevice::earliestDate(), StartDevice::latestDate());
    m_dtpDate->setCalendarPopup(true);
    m_dtpTime = named(new QTimeEdit, "DtpTime");
    m_dtpTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    auto *clock = new QFormLayout;
    clock->addRow(msg::kCaptionDate, m_dtpDate);
    clock->addRow(msg::kCaptionTime, m_dtpTime);

    // Reading interval.
    m_frameInterval = named(new QGroupBox(msg::kFrameReadingInterval), "FrameInterval");
    m_optSecond = named(new QRadioButton(msg::kOptSecond), "OptSecond");
    m_optMinute = named(new QRadioButton(msg::kOptMinute), "OptMinute");
    m_optHour = named(new QRadioButton(msg::kOptHour), "OptHour");
    m_units = new QButtonGroup(this);
    m_units->addButton(m_optSecond, int(StartDevice::Unit::Second));
    m_units->addButton(m_optMinute, int(StartDevice::Unit::Minute));
    m_units->addButton(m_optHour, int(StartDevice::Unit::Hour));
    // Pick-only: a list that cannot be typed into cannot hold an interval it does not offer.
    m_cmbInterval = named(new QComboBox, "CmbInterval");
    m_cmbInterval->setEditable(false);
    m_cmbInterval->setMinimumContentsLength(3);
    auto *interval = new QGridLayout(m_frameInterval);
    interval->addWidget(m_optSecond, 0, 0);
    interval->addWidget(m_optMinute, 1, 0);
    interval->addWidget(m_optHour, 2, 0);
    interval->addWidget(m_cmbInterval, 1, 1);
    interval->setColumnStretch(2, 1);

    // Start now or later.
    m_frameOption = named(new QGroupBox(msg::kFrameOption), "FrameOption");
    m_optstrt = named(new QRadioButton(msg::kOptStart), "Optstrt");
    m_optlater = named(new QRadioButton(msg::kOptStartAfter), "Optlater");
    auto *starts = new QButtonGroup(this);
    starts->addButton(m_optstrt);
    starts->addButton(m_optlater);
    m_hrs = named(new QLineEdit, "hrs");
    m_min = named(new QLineEdit, "min");
    for (QLineEdit *box : {m_hrs, m_min}) {
        box->setMaxLength(5);
        box->setFixedWidth(charWidth(box, 5));
        box->setAlignment(Qt::AlignRight);
    }
    m_lblHrs = named(new QLabel(msg::kCaptionHrs), "lblhrs");
    m_lblMin = named(new QLabel(msg::kCaptionMin), "lblmin");
    auto *option = new QGridLayout(m_frameOption);
    option->addWidget(m_optstrt, 0, 0);
    option->addWidget(m_optlater, 1, 0);
    auto *delay = new QHBoxLayout;
    delay->addWidget(m_hrs);
    delay->addWidget(m_lblHrs);
    delay->addSpacing(8);
    delay->addWidget(m_min);
    delay->addWidget(m_lblMin);
    delay->addStretch();
    option->addLayout(delay, 1, 1);
    option->setColumnStretch(1, 1);

    // Location.
    m_frameLocation = named(new QGroupBox(msg::kFrameLocation), "FrameLocation");
    m_txtLocation = named(new QLineEdit, "TxtLocation");
    m_txtLocation->setMaxLength(StartDevice::kLocationLength);
    m_txtLocation->setMinimumWidth(charWidth(m_txtLocation, StartDevice::kLocationLength + 4));
    auto *location = new QVBoxLayout(m_frameLocation);
    location->addWidget(m_txtLocation);

    // Progress and buttons.
    m_progressBar1 = named(new QProgressBar, "ProgressBar1");
    m_progressBar1->setRange(0, StartDevice::kSteps);
    m_progressBar1->setFormat(QStringLiteral("%v / %m"));
    m_lblStatus = named(new QLabel, "LblStatus");
    m_lblStatus->setWordWrap(true);
    m_lblStatus->setTextFormat(Qt::PlainText);
    m_command2 = named(new QPushButton(msg::kSend), "Command2");
    m_command1 = named(new QPushButton(msg::kExit), "Command1");
    m_command2->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_command2);
    buttons->addWidget(m_command1);

    auto *top = new QVBoxLayout(this);
    top->addLayout(clock);
    top->addWidget(m_frameInterval);
    top->addWidget(m_frameOption);
    top->addWidget(m_frameLocation);
    top->addWidget(m_progressBar1);
    top->addWidget(m_lblStatus);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
    // The waiting text wraps within the dialog's width instead of widening it.
    m_lblStatus->setFixedWidth(m_frameLocation->sizeHint().width());

    connect(m_dtpDate, &QDateEdit::dateChanged, this, [this](QDate d) {
        if (!m_mirroring)
            m_logic.setDate(d);
    });
    connect(m_dtpTime, &QTimeEdit::timeChanged, this, [this](QTime t) {
        if (!m_mirroring)
            m_logic.userChangedTime(t);
    });
    connect(m_units, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_mirroring)
            m_logic.setUnit(StartDevice::Unit(id));
    });
    connect(m_cmbInterval, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!m_mirroring)
            m_logic.setIntervalIndex(i);
    });
    connect(m_optlater, &QRadioButton::toggled, this, [this](bool later) {
        if (!m_mirroring)
            m_logic.setStartLater(later);
    });
    connect(m_hrs, &QLineEdit::textEdited, &m_logic, &StartDevice::setHrs);
    connect(m_min, &QLineEdit::textEdited, &m_logic, &StartDevice::setMin);
    connect(m_txtLocation, &QLineEdit::textEdited, &m_logic, &StartDevice::setLocation);
    connect(m_command2, &QPushButton::clicked, &m_logic, &StartDevice::Command2);
    connect(m_command1, &QPushButton::clicked, this, &QWidget::close);
    connect(&m_logic, &StartDevice::changed, this, &Frmdata1::refresh);
    connect(&m_logic, &StartDevice::delayCorrected, this, &Frmdata1::onDelayCorrected);
    connect(&m_logic, &StartDevice::closeRequested, this, &QWidget::close);

    m_logic.load();
    refresh();
}

void Frmdata1::refresh()
{
    m_mirroring = true;

    if (m_logic.date().isValid() && m_dtpDate->date() != m_logic.date())
        m_dtpDate->setDate(m_logic.date());
    if (m_logic.time().isValid() && m_dtpTime->time() != m_logic.time())
        m_dtpTime->setTime(m_logic.time());

    if (const auto unit = m_logic.unit()) {
        QAbstractButton *b = m_units->button(int(*unit));
        if (!b->isChecked())
            b->setChecked(true);
    }
    QStringList shown;
    for (int i = 0; i < m_cmbInterval->count(); ++i)
        shown << m_cmbInterval->itemText(i);
    if (shown != m_logic.intervalList()) {
        m_cmbInterval->clear();
        m_cmbInterval->addItems(m_logic.intervalList());
    }
    m_cmbInterval->setCurrentIndex(m_logic.intervalIndex());

    (m_logic.startLater() ? m_optlater : m_optstrt)->setChecked(true);
    mirror(m_hrs, m_logic.hrs());
    mirror(m_min, m_logic.min());
    for (QWidget *w : {static_cast<QWidget *>(m_hrs), static_cast<QWidget *>(m_min),
                       static_cast<QWidget *>(m_lblHrs), static_cast<QWidget *>(m_lblMin)})
        w->setEnabled(m_logic.delayFieldsEnabled());
    mirror(m_txtLocation, m_logic.location());

    const bool settings = m_logic.settingsEnabled();
    for (QWidget *w : {static_cast<QWidget *>(m_dtpDate), static_cast<QWidget *>(m_dtpTime),
                       static_cast<QWidget *>(m_frameInterval),
                       static_cast<QWidget *>(m_frameOption),
                       static_cast<QWidget *>(m_frameLocation)})
        w->setEnabled(settings);

    m_command2->setEnabled(m_logic.sendEnabled());
    m_progressBar1->setVisible(m_logic.progressVisible());
    m_progressBar1->setValue(m_logic.progressValue());
    m_lblStatus->setText(m_logic.statusText());
    m_lblStatus->setVisible(!m_logic.statusText().isEmpty());

    if (m_logic.busy())
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();

    m_mirroring = false;
}

void Frmdata1::onDelayCorrected(bool inHrs)
{
    // The corrected text is selected, so the next key replaces it: clearing "1" to type "30"
    // gives 30, not 130.
    QLineEdit *box = inHrs ? m_hrs : m_min;
    refresh();
    box->selectAll();
}

void Frmdata1::closeEvent(QCloseEvent *e)
{
    m_logic.close();
    e->accept();
    // Once, however the dialog came to close (the logic may have closed itself already).
    if (!m_closedSignalled) {
        m_closedSignalled = true;
        Q_EMIT closed();
    }
}
