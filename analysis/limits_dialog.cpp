#include "analysis/limits_dialog.h"

#include "analysis/analysis_texts.h"
#include "analysis/limits_store.h"
#include "common/prompter.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace analysis;

LimitsDialog::LimitsDialog(LimitsStore &store, const QString &serial, bool fahrenheit,
                           Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_store(store), m_serial(serial.trimmed()), m_fahrenheit(fahrenheit),
      m_prompter(prompter)
{
    setWindowTitle(analysistext::kLimitsTitle);
    // Another computer of the site may have changed them since they were read.
    m_store.reload();
    build();
    const bool hasLogger = !m_serial.isEmpty();
    m_logger->setEnabled(hasLogger);
    (hasLogger ? m_logger : m_default)->setChecked(true);
    showLimits();
    connect(m_logger, &QRadioButton::toggled, this, &LimitsDialog::showLimits);
}

void LimitsDialog::build()
{
    auto *root = new QVBoxLayout(this);

    auto *scope = new QHBoxLayout;
    auto *scopeGroup = new QButtonGroup(this);
    m_logger = new QRadioButton(
        m_serial.isEmpty() ? tr("This logger") : tr("This logger (serial %1)").arg(m_serial), this);
    m_default = new QRadioButton(tr("Every logger (default)"), this);
    for (QRadioButton *b : {m_logger, m_default}) {
        scopeGroup->addButton(b);
        scope->addWidget(b);
    }
    root->addLayout(scope);

    auto *limitsBox = new QGroupBox(tr("Limits (empty: none)"), this);
    auto *grid = new QGridLayout(limitsBox);
    grid->addWidget(new QLabel(tr("Low"), limitsBox), 0, 1);
    grid->addWidget(new QLabel(tr("High"), limitsBox), 0, 2);
    int row = 1;
    for (Quantity q : kQuantities) {
        const auto i = size_t(index(q));
        grid->addWidget(
            new QLabel(QStringLiteral("%1 (%2)").arg(caption(q), unit(q, m_fahrenheit)), limitsBox),
            row, 0);
        m_low[i] = new QLineEdit(limitsBox);
        m_high[i] = new QLineEdit(limitsBox);
        m_low[i]->setObjectName(QStringLiteral("low_") + key(q));
        m_high[i]->setObjectName(QStringLiteral("high_") + key(q));
        grid->addWidget(m_low[i], row, 1);
        grid->addWidget(m_high[i], row, 2);
        ++row;
    }
    root->addWidget(limitsBox);

    auto *alarmBox = new QGroupBox(tr("Alarm"), this);
    auto *alarm = new QGridLayout(alarmBox);
    alarm->addWidget(new QLabel(tr("Delay (minutes)"), alarmBox), 0, 0);
    m_delay = new QLineEdit(alarmBox);
    alarm->addWidget(m_delay, 0, 1);
    m_single = new QRadioButton(tr("Single: one excursion lasts the delay"), alarmBox);
    m_cumulative =
        new QRadioButton(tr("Cumulative: the excursions together last the delay"), alarmBox);
    alarm->addWidget(m_single, 1, 0, 1, 2);
    alarm->addWidget(m_cumulative, 2, 0, 1, 2);
    root->addWidget(alarmBox);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &LimitsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LimitsDialog::reject);
    root->addWidget(buttons);
}

void LimitsDialog::showLimits()
{
    // A stored set that is refused is shown as it is kept, with the reason, to be mended here.
    const bool logger = m_logger->isChecked();
    const Validation check = logger ? m_store.lookup(m_serial) : m_store.defaults();
    if (!check.limits)
        m_prompter.message(check.error, analysistext::kLimitsTitle, Prompter::Icon::Warning);
    const LimitTexts texts = toTexts(
        logger ? m_store.startingPoint(m_serial) : m_store.storedDefaults().value_or(LimitValues{}),
        m_fahrenheit);
    for (size_t i = 0; i < m_high.size(); ++i) {
        m_high[i]->setText(texts.high[i]);
        m_low[i]->setText(texts.low[i]);
    }
    m_delay->setText(texts.delayMinutes);
    (texts.cumulative ? m_cumulative : m_single)->setChecked(true);
}

LimitTexts LimitsDialog::typed() const
{
    LimitTexts t;
    for (size_t i = 0; i < m_high.size(); ++i) {
        t.high[i] = m_high[i]->text();
        t.low[i] = m_low[i]->text();
    }
    t.delayMinutes = m_delay->text();
    t.cumulative = m_cumulative->isChecked();
    t.fahrenheit = m_fahrenheit;
    return t;
}

void LimitsDialog::accept()
{
    const Validation v = validate(typed());
    if (!v.limits) {
        m_prompter.message(v.error, analysistext::kLimitsTitle, Prompter::Icon::Warning);
        return;
    }
    const bool stored = m_logger->isChecked() ? m_store.setForLogger(m_serial, *v.limits)
                                              : m_store.setDefaults(*v.limits);
    if (!stored) {
        m_prompter.message(analysistext::kNotStored.arg(m_store.location()),
                           analysistext::kLimitsTitle, Prompter::Icon::Critical);
        return;
    }
    QDialog::accept();
}
