#include "archive/archive_browser.h"

#include "archive/archive_texts.h"
#include "archive/date_field.h"
#include "archive/run_table_model.h"
#include "common/messages.h"
#include "common/output_file.h"
#include "common/prompter.h"
#include "datafile/brv2_file.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

using namespace archive;

ArchiveBrowser::ArchiveBrowser(BrowseWorker &worker, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_worker(worker), m_prompter(prompter)
{
    setWindowTitle(archivetext::kArchiveTitle);
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &ArchiveBrowser::applyFilter);
    connect(&m_worker, &BrowseWorker::answered, this, &ArchiveBrowser::onAnswer);
    m_model = new RunTableModel(m_worker, this);
    connect(m_model, &RunTableModel::listed, this, &ArchiveBrowser::onListed);
    build();
    recount();
    // Behind the first page and the count, which the user waits for.
    m_checking = m_worker.verify();
    showStatus();
    enableButtons();
}

ArchiveBrowser::~ArchiveBrowser()
{
    // A run the user gave a reason to withdraw goes; answers nobody will read are not asked
    // for, and a check under way stops.
    for (const BrowseWorker::Ticket t : {m_counting, m_checking})
        if (t != 0)
            m_worker.cancel(t);
    if (m_pending && m_pending->action != Action::Withdraw)
        m_worker.cancel(m_pending->ticket);
}

void ArchiveBrowser::build()
{
    auto *root = new QVBoxLayout(this);

    auto *filters = new QHBoxLayout;
    const auto field = [&](const QString &caption, QLineEdit *&edit) {
        auto *label = new QLabel(caption, this);
        edit = new QLineEdit(this);
        label->setBuddy(edit);
        filters->addWidget(label);
        filters->addWidget(edit);
        // Asked once the typing pauses, not on every keystroke.
        connect(edit, &QLineEdit::textChanged, &m_pause, qOverload<>(&QTimer::start));
    };
    field(archivetext::kSerialLabel, m_serial);
    field(archivetext::kLocationLabel, m_location);
    field(archivetext::kFromLabel, m_from);
    field(archivetext::kToLabel, m_to);
    m_serial->setMaximumWidth(80);
    m_serial->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), m_serial));
    for (QLineEdit *date : {m_from, m_to})
        date->setPlaceholderText(archivetext::kDatePlaceholder);
    m_alarmsOnly = new QCheckBox(archivetext::kAlarmsOnly, this);
    connect(m_alarmsOnly, &QCheckBox::toggled, this, &ArchiveBrowser::applyFilter);
    filters->addWidget(m_alarmsOnly);
    m_showWithdrawn = new QCheckBox(archivetext::kShowWithdrawn, this);
    connect(m_showWithdrawn, &QCheckBox::toggled, this, &ArchiveBrowser::applyFilter);
    filters->addWidget(m_showWithdrawn);
    root->addLayout(filters);

    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // Sorted by the database on a click; not QTableView's sorting, which would run the query
    // once more as the dialog opens.
    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(int(RunColumn::StoredAt), Qt::DescendingOrder);
    header->setStretchLastSection(true);
    connect(header, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                m_model->sort(column, order);
                showStatus();
            });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ArchiveBrowser::enableButtons);
    connect(m_table, &QTableView::doubleClicked, this, &ArchiveBrowser::openRun);
    // Columns as wide as the first rows' texts (onListed): a look at a screenful, not at
    // 10,000 runs.
    m_table->setWordWrap(false);
    header->setResizeContentsPrecision(40);
    root->addWidget(m_table, 1);

    m_readOnly = new QLabel(this);
    m_readOnly->setWordWrap(true);
    m_readOnly->hide();
    root->addWidget(m_readOnly);
    m_check = new QLabel(archivetext::kChecking, this);
    m_check->setWordWrap(true);
    root->addWidget(m_check);

    auto *buttons = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setWordWrap(true);
    buttons->addWidget(m_count, 1);
    m_open = new QPushButton(archivetext::kOpen, this);
    m_save = new QPushButton(archivetext::kSave, this);
    m_withdraw = new QPushButton(archivetext::kWithdraw, this);
    auto *close = new QPushButton(archivetext::kClose, this);
    connect(m_open, &QPushButton::clicked, this, &ArchiveBrowser::openRun);
    connect(m_save, &QPushButton::clicked, this, &ArchiveBrowser::saveRun);
    connect(m_withdraw, &QPushButton::clicked, this, &ArchiveBrowser::withdrawRun);
    connect(close, &QPushButton::clicked, this, &ArchiveBrowser::close);
    for (QPushButton *b : {m_open, m_save, m_withdraw, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    resize(1100, 500);
}

void ArchiveBrowser::refresh()
{
    m_model->refresh();
    recount();
    showStatus();
}

void ArchiveBrowser::applyFilter()
{
    m_pause.stop();
    RunFilter filter;
    if (!m_serial->text().isEmpty())
        filter.serial = m_serial->text().toInt();
    filter.location = m_location->text();
    filter.since = parseBound(m_from->text(), false);
    filter.until = parseBound(m_to->text(), true);
    filter.alarmsOnly = m_alarmsOnly->isChecked();
    filter.withdrawn = m_showWithdrawn->isChecked();
    const bool badFrom = !m_from->text().trimmed().isEmpty() && !filter.since.isValid();
    const bool badTo = !m_to->text().trimmed().isEmpty() && !filter.until.isValid();
    markRefused(m_from, badFrom);
    markRefused(m_to, badTo);
    // The list stays as it was until the date reads.
    m_refused = badFrom || badTo;
    if (!m_refused) {
        m_model->setFilter(filter);
        recount();
    }
    showStatus();
}

void ArchiveBrowser::recount()
{
    if (m_counting != 0)
        m_worker.cancel(m_counting);
    m_counting = m_worker.count(m_model->filter());
}

bool ArchiveBrowser::isAsking() const
{
    return m_model->isAsking() || m_counting != 0 || m_pending;
}

void ArchiveBrowser::showStatus()
{
    const bool asking = isAsking();
    if (m_refused)
        m_count->setText(archivetext::kBadDate);
    else if (asking)
        m_count->setText(archivetext::kAsking);
    else if (!m_model->errorText().isEmpty())
        m_count->setText(archivetext::kNotListed.arg(m_model->errorText()));
    else if (!m_runCount)
        m_count->setText(archivetext::kNotListed.arg(m_countError));
    else
        m_count->setText(*m_runCount == 1 ? archivetext::kOneRun
                                          : archivetext::kRunCount.arg(*m_runCount));
    const bool settledNow = m_wasAsking && !asking;
    m_wasAsking = asking;
    if (settledNow)
        Q_EMIT settled();
}

void ArchiveBrowser::enableButtons()
{
    const auto run = selectedRun();
    for (QPushButton *b : {m_open, m_save})
        b->setEnabled(run.has_value());
    // Nothing can be withdrawn from an archive that cannot be written, nor withdrawn twice.
    m_withdraw->setEnabled(run && !run->withdrawn && m_readOnly->text().isEmpty());
}

void ArchiveBrowser::onListed()
{
    if (!m_sized && m_model->rowCount() > 0) {
        m_table->resizeColumnsToContents();
        m_sized = true;
    }
    enableButtons();
    showStatus();
}

void ArchiveBrowser::onAnswer(const BrowseWorker::Answer &answer)
{
    // Every answer says what the archive is now (the worker may have been moved to another).
    if (answer.readOnlyNote != m_readOnly->text()) {
        m_readOnly->setText(answer.readOnlyNote);
        m_readOnly->setVisible(!answer.readOnlyNote.isEmpty());
        enableButtons();
    }
    if (answer.ticket == m_checking) {
        m_checking = 0;
        showCheck(answer);
    } else if (answer.ticket == m_counting) {
        m_counting = 0;
        m_runCount = answer.ok ? std::optional<int>(answer.count) : std::nullopt;
        m_countError = answer.error;
        showStatus();
    } else if (m_pending && answer.ticket == m_pending->ticket) {
        finish(*std::exchange(m_pending, std::nullopt), answer);
    }
}

void ArchiveBrowser::finish(const Pending &done, const BrowseWorker::Answer &answer)
{
    QString failure = answer.ok ? QString() : answer.error;
    // Listed again even when withdrawing failed: another may have withdrawn it meanwhile.
    if (done.action == Action::Withdraw)
        refresh();
    enableButtons();
    showStatus();
    if (answer.ok && done.action == Action::Open) {
        Q_EMIT runOpened(answer.bytes, runTitle(done.run));
        return;
    }
    QString error;
    if (answer.ok && done.action == Action::Save &&
        !outputfile::write(done.path, answer.bytes, &error))
        failure = outputfile::failureText(done.path, error);
    if (!failure.isEmpty())
        m_prompter.message(failure, archivetext::kArchiveTitle, Prompter::Icon::Critical);
}

std::optional<RunRecord> ArchiveBrowser::selectedRun() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty() || m_pending)
        return std::nullopt;
    return m_model->runAt(rows.first().row());
}

void ArchiveBrowser::ask(Action action, BrowseWorker::Ticket ticket, const RunRecord &run,
                         const QString &path)
{
    m_pending = Pending{ticket, action, run, path};
    enableButtons();
    showStatus();
}

void ArchiveBrowser::openRun()
{
    if (const auto run = selectedRun())
        ask(Action::Open, m_worker.fetch(run->key), *run);
}

void ArchiveBrowser::saveRun()
{
    const auto run = selectedRun();
    if (!run)
        return;
    QString path = m_prompter.saveFileName(archivetext::kSaveTitle, msg::kBrivakFilter);
    if (path.isEmpty())
        return;
    path = brv2::withSuffix(path);
    ask(Action::Save, m_worker.fetch(run->key), *run, path);
}

void ArchiveBrowser::withdrawRun()
{
    const auto run = selectedRun();
    if (!run)
        return;
    const auto reason = m_prompter.inputRequired(archivetext::kWithdrawQuestion.arg(runName(*run)),
                                                 archivetext::kWithdrawTitle);
    if (!reason)
        return;
    ask(Action::Withdraw, m_worker.withdraw(run->key, *reason), *run);
}

void ArchiveBrowser::showCheck(const BrowseWorker::Answer &answer)
{
    const bool broken = answer.ok && !answer.check.ok();
    if (!answer.ok)
        m_check->setText(archivetext::kNotChecked.arg(answer.error));
    else if (broken)
        m_check->setText(archivetext::kCheckFailed.arg(answer.check.problem));
    else
        m_check->setText(archivetext::kVerifiedShown.arg(answer.check.runs).arg(answer.check.events));
    // A break is a warning the eye cannot miss; it stays until the dialog is opened again.
    m_check->setStyleSheet(broken ? QStringLiteral("QLabel { background-color: #ffd6d6; "
                                                   "font-weight: bold; padding: 4px; }")
                                  : QString());
    Q_EMIT checked();
}
