#include "archive/audit_trail_dialog.h"

#include "archive/archive_texts.h"
#include "archive/date_field.h"
#include "archive/trail_listing.h"
#include "common/output_file.h"
#include "common/prompter.h"
#include "output/trail_printout.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace archive;

AuditTrailDialog::AuditTrailDialog(BrowseWorker &worker, Prompter &prompter,
                                   const QString &archiveName, QWidget *parent)
    : QDialog(parent), m_worker(worker), m_prompter(prompter), m_archiveName(archiveName)
{
    setWindowTitle(archivetext::kAuditTrailTitle);
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &AuditTrailDialog::applyFilter);
    connect(&m_worker, &BrowseWorker::answered, this, &AuditTrailDialog::onAnswer);
    build();
    applyFilter();
}

AuditTrailDialog::~AuditTrailDialog()
{
    if (m_asking != 0)
        m_worker.cancel(m_asking);
}

void AuditTrailDialog::build()
{
    auto *root = new QVBoxLayout(this);
    auto *filters = new QHBoxLayout;
    const auto field = [&](const QString &caption, QWidget *edit) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        filters->addWidget(label);
        filters->addWidget(edit);
    };
    const auto lineEdit = [&](const QString &caption, QLineEdit *&edit) {
        edit = new QLineEdit(this);
        field(caption, edit);
        // Asked once the typing pauses, not on every keystroke.
        connect(edit, &QLineEdit::textChanged, &m_pause, qOverload<>(&QTimer::start));
    };
    lineEdit(archivetext::kRunLabel, m_run);
    lineEdit(archivetext::kUserLabel, m_user);
    m_action = new QComboBox(this);
    m_action->addItem(archivetext::kAllActions, QString());
    for (const QString &name : actionNames())
        m_action->addItem(name, name);
    field(archivetext::kActionLabel, m_action);
    connect(m_action, &QComboBox::currentIndexChanged, this, &AuditTrailDialog::applyFilter);
    lineEdit(archivetext::kFromLabel, m_from);
    lineEdit(archivetext::kToLabel, m_to);
    for (QLineEdit *date : {m_from, m_to})
        date->setPlaceholderText(archivetext::kDatePlaceholder);
    root->addLayout(filters);

    m_table = new QTableWidget(0, int(archivetext::kEventHeadings.size()), this);
    m_table->setHorizontalHeaderLabels(archivetext::kEventHeadings);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    root->addWidget(m_table, 1);

    auto *buttons = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setWordWrap(true);
    buttons->addWidget(m_count, 1);
    m_csv = new QPushButton(archivetext::kExportCsv, this);
    m_pdf = new QPushButton(archivetext::kExportPdf, this);
    auto *close = new QPushButton(archivetext::kClose, this);
    connect(m_csv, &QPushButton::clicked, this, &AuditTrailDialog::exportCsv);
    connect(m_pdf, &QPushButton::clicked, this, &AuditTrailDialog::exportPdf);
    connect(close, &QPushButton::clicked, this, &AuditTrailDialog::close);
    for (QPushButton *b : {m_csv, m_pdf, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    resize(1100, 500);
}

void AuditTrailDialog::applyFilter()
{
    m_pause.stop();
    AuditFilter filter;
    filter.run = m_run->text().trimmed().toLower();
    filter.user = m_user->text().trimmed();
    filter.action = m_action->currentData().toString();
    filter.since = eventBound(m_from->text(), false);
    filter.until = eventBound(m_to->text(), true);
    const bool badFrom = !m_from->text().trimmed().isEmpty() && !filter.since.isValid();
    const bool badTo = !m_to->text().trimmed().isEmpty() && !filter.until.isValid();
    markRefused(m_from, badFrom);
    markRefused(m_to, badTo);
    // The list stays as it was until the date reads.
    if (badFrom || badTo) {
        m_count->setText(archivetext::kBadDate);
        return;
    }
    if (m_asking != 0)
        m_worker.cancel(m_asking);
    m_asked = filter;
    m_asking = m_worker.events(filter);
    m_count->setText(archivetext::kAsking);
    m_csv->setEnabled(false);
    m_pdf->setEnabled(false);
}

void AuditTrailDialog::onAnswer(const BrowseWorker::Answer &answer)
{
    if (answer.ticket != m_asking)
        return;
    m_asking = 0;
    if (answer.ok) {
        m_filter = m_asked;
        display(answer.events);
    } else {
        m_count->setText(archivetext::kTrailNotListed.arg(answer.error));
    }
    Q_EMIT settled();
}

void AuditTrailDialog::display(const QList<AuditEvent> &events)
{
    m_events = events;
    m_table->setRowCount(int(events.size()));
    for (int r = 0; r < events.size(); ++r) {
        const QStringList fields = eventFields(events.at(r));
        for (int c = 0; c < fields.size(); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(fields.at(c)));
    }
    m_table->resizeColumnsToContents();
    m_count->setText(events.size() == 1 ? archivetext::kOneEvent
                                        : archivetext::kEventCount.arg(events.size()));
    m_csv->setEnabled(true);
    m_pdf->setEnabled(true);
}

void AuditTrailDialog::writeOut(const QString &filter, const QString &suffix,
                                const std::function<bool(const QString &, QString *)> &write)
{
    QString path = m_prompter.saveFileName(archivetext::kAuditTrailTitle, filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + suffix;
    QString error;
    if (!write(path, &error))
        m_prompter.message(outputfile::failureText(path, error), archivetext::kAuditTrailTitle,
                           Prompter::Icon::Critical);
}

void AuditTrailDialog::exportCsv()
{
    writeOut(archivetext::kCsvFilter, QStringLiteral("csv"), [this](const QString &path, QString *error) {
        return outputfile::write(path, eventsCsv(m_events), error);
    });
}

void AuditTrailDialog::exportPdf()
{
    writeOut(archivetext::kTrailPdfFilter, QStringLiteral("pdf"), [this](const QString &path, QString *error) {
        const trailprint::TrailHeading heading{m_archiveName, filterText(m_filter),
                                               QDateTime::currentDateTime()};
        return trailprint::writeTrailPdf(m_events, heading, path, error);
    });
}
