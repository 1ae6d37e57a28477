#include "device/frm_id_dev.h"

#include "common/messages.h"
#include "device/device_texts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QLabel *namedLabel(const char *name, const QString &text = QString())
{
    auto *l = new QLabel(text);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit *namedBox(const char *name, int maxChars, const QString &tip)
{
    auto *e = new QLineEdit;
    e->setObjectName(QLatin1String(name));
    e->setToolTip(tip);
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (maxChars + 3));
    return e;
}

// Only text changed by the program goes back into a box, so the cursor of a box being typed
// in does not jump.
void mirror(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

frmIDdev::frmIDdev(DeviceHost &host, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::Dialog), m_details(host)
{
    setObjectName(QStringLiteral("frmIDdev"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(msg::kDeviceDetailsCaption);

    // Details.
    m_frame1 = new QGroupBox;
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto *g = new QGridLayout(m_frame1);
    m_lSerNo = namedLabel("lSerNo", msg::kCaptionSerNo);
    m_Llocation = namedLabel("Llocation", msg::kCaptionLocation);
    m_lserno1 = namedLabel("lserno1");
    m_Llocation1 = namedLabel("Llocation1");
    m_lmodel1 = namedLabel("lmodel1");
    m_ldevstatus1 = namedLabel("ldevstatus1");
    m_lno_readings1 = namedLabel("lno_readings1");
    m_linterval1 = namedLabel("linterval1");
    // The location is shown byte for byte; keep runs of blanks as they are.
    m_Llocation1->setTextFormat(Qt::PlainText);
    const struct
    {
        QLabel *caption;
        QLabel *value;
    } rows[] = {
        {m_lSerNo, m_lserno1},
        {m_Llocation, m_Llocation1},
        {namedLabel("lmodel", msg::kCaptionModel), m_lmodel1},
        {namedLabel("ldevstatus", msg::kCaptionDevStatus), m_ldevstatus1},
        {namedLabel("lno_readings", msg::kCaptionNoReadings), m_lno_readings1},
        {namedLabel("linterval", msg::kCaptionInterval), m_linterval1},
    };
    int r = 0;
    for (const auto &row : rows) {
        row.value->setTextFormat(Qt::PlainText);
        row.value->setMinimumWidth(row.value->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 18);
        g->addWidget(row.caption, r, 0);
        g->addWidget(row.value, r, 1);
        ++r;
    }

    // Programming of a logger that has no serial number yet.
    m_frame2 = new QGroupBox;
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    auto *v = new QVBoxLayout(m_frame2);
    v->addWidget(namedLabel("lNotEnabled", msg::kEnablePanel));
    auto *boxes = new QHBoxLayout;
    m_tday = namedBox("tday", 2, devicetext::kTipDay);
    m_tmnt = namedBox("tmnt", 2, devicetext::kTipMonth);
    m_tyrs = namedBox("tyrs", 3, devicetext::kTipYear);
    m_tSerno = namedBox("tSerno", 5, devicetext::kTipSerial);
    for (QLineEdit *b : {m_tday, m_tmnt, m_tyrs, m_tSerno})
        boxes->addWidget(b);
    m_command2 = new QPushButton(msg::kSend);
    m_command2->setObjectName(QStringLiteral("Command2"));
    boxes->addWidget(m_command2);
    boxes->addStretch();
    v->addLayout(boxes);
    m_progressBar1 = new QProgressBar;
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setRange(0, 3); // steps "Y", "X", then the details again
    m_progressBar1->setTextVisible(false);
    v->addWidget(m_progressBar1);

    auto *top = new QVBoxLayout(this);
    top->addWidget(m_frame1);
    top->addWidget(m_frame2);
    top->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_tday, &QLineEdit::textEdited, &m_details, &DeviceDetails::setDay);
    connect(m_tmnt, &QLineEdit::textEdited, &m_details, &DeviceDetails::setMonth);
    connect(m_tyrs, &QLineEdit::textEdited, &m_details, &DeviceDetails::setYear);
    connect(m_tSerno, &QLineEdit::textEdited, &m_details, &DeviceDetails::setSerial);
    connect(m_command2, &QPushButton::clicked, &m_details, &DeviceDetails::Command2);
    connect(&m_details, &DeviceDetails::changed, this, &frmIDdev::refresh);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &frmIDdev::onFocusWindowChanged);

    refresh();
}

void frmIDdev::refresh()
{
    const DeviceDetails::Labels &l = m_details.labels();
    m_lserno1->setText(l.lserno1);
    m_Llocation1->setText(l.Llocation1);
    m_lmodel1->setText(l.lmodel1);
    m_ldevstatus1->setText(l.ldevstatus1);
    m_lno_readings1->setText(l.lno_readings1);
    m_linterval1->setText(l.linterval1);
    m_lSerNo->setVisible(l.serialVisible);
    m_lserno1->setVisible(l.serialVisible);
    m_Llocation->setVisible(l.locationVisible);
    m_Llocation1->setVisible(l.locationVisible);

    m_frame1->setVisible(m_details.frame1Visible());
    m_frame2->setVisible(m_details.frame2Visible());
    mirror(m_tday, m_details.tday());
    mirror(m_tmnt, m_details.tmnt());
    mirror(m_tyrs, m_details.tyrs());
    mirror(m_tSerno, m_details.tSerno());
    m_command2->setEnabled(m_details.sendEnabled());
    m_progressBar1->setVisible(m_details.progressVisible());
    m_progressBar1->setValue(m_details.progressValue());

    if (m_details.busy())
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmIDdev::Activation()
{
    m_activatedOnce = true;
    m_otherFormWasActive = false;
    m_details.activate();
}

void frmIDdev::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    // The first show activates the dialog even where the window system does not report the
    // activation (headless runs).
    if (!m_activatedOnce)
        Activation();
}

void frmIDdev::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && m_otherFormWasActive)
        Activation();
}

void frmIDdev::onFocusWindowChanged(QWindow *w)
{
    // Only a return from another window of the program counts as a new activation; closing a
    // message box that this dialog raised does not.
    if (!w || w == windowHandle())
        return;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top == this || top->windowHandle() != w)
            continue;
        if (top->inherits("QMainWindow") || top->property("kestrunForm").toBool())
            m_otherFormWasActive = true;
    }
}

void frmIDdev::closeEvent(QCloseEvent *e)
{
    m_details.close();
    e->accept();
}
