#include "archive/archive_browser.h"

#include "archive/archive_db.h"
#include "archive/archive_texts.h"
#include "archive/run_table_model.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "datafile/brv2_file.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

using namespace archive;

namespace {

// A date field that does not read is shaded until it does.
void markRefused(QLineEdit *edit, bool refused)
{
    edit->setStyleSheet(refused ? QStringLiteral("QLineEdit { background-color: #ffd6d6; }")
                                : QString());
}

} // namespace

ArchiveBrowser::ArchiveBrowser(ArchiveDb &db, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_db(db), m_prompter(prompter)
{
    setWindowTitle(archivetext::kArchiveTitle);
    m_model = new RunTableModel(m_db, this);
    build();
    showCount();
    enableButtons();
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
        connect(edit, &QLineEdit::textChanged, this, &ArchiveBrowser::applyFilter);
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
                showCount();
            });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ArchiveBrowser::enableButtons);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ArchiveBrowser::enableButtons);
    connect(m_table, &QTableView::doubleClicked, this, &ArchiveBrowser::openRun);
    // Columns as wide as the first rows' texts: a look at a screenful, not at 10,000 runs.
    m_table->setWordWrap(false);
    header->setResizeContentsPrecision(40);
    m_table->resizeColumnsToContents();
    root->addWidget(m_table, 1);

    auto *buttons = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setWordWrap(true);
    buttons->addWidget(m_count, 1);
    m_open = new QPushButton(archivetext::kOpen, this);
    m_save = new QPushButton(archivetext::kSave, this);
    m_delete = new QPushButton(archivetext::kDelete, this);
    auto *close = new QPushButton(archivetext::kClose, this);
    connect(m_open, &QPushButton::clicked, this, &ArchiveBrowser::openRun);
    connect(m_save, &QPushButton::clicked, this, &ArchiveBrowser::saveRun);
    connect(m_delete, &QPushButton::clicked, this, &ArchiveBrowser::deleteRun);
    connect(close, &QPushButton::clicked, this, &ArchiveBrowser::close);
    for (QPushButton *b : {m_open, m_save, m_delete, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    resize(1100, 500);
}

void ArchiveBrowser::refresh()
{
    m_model->refresh();
    showCount();
}

void ArchiveBrowser::applyFilter()
{
    RunFilter filter;
    if (!m_serial->text().isEmpty())
        filter.serial = m_serial->text().toInt();
    filter.location = m_location->text();
    filter.since = parseBound(m_from->text(), false);
    filter.until = parseBound(m_to->text(), true);
    filter.alarmsOnly = m_alarmsOnly->isChecked();
    const bool badFrom = !m_from->text().trimmed().isEmpty() && !filter.since.isValid();
    const bool badTo = !m_to->text().trimmed().isEmpty() && !filter.until.isValid();
    markRefused(m_from, badFrom);
    markRefused(m_to, badTo);
    if (badFrom || badTo) {
        // The list stays as it was until the date reads.
        m_count->setText(archivetext::kBadDate);
        return;
    }
    m_model->setFilter(filter);
    showCount();
}

void ArchiveBrowser::showCount()
{
    QString why = m_model->errorText();
    std::optional<int> count;
    if (why.isEmpty()) {
        count = m_db.count(m_model->filter());
        why = m_db.error();
    }
    if (!count)
        m_count->setText(archivetext::kNotListed.arg(why));
    else
        m_count->setText(*count == 1 ? archivetext::kOneRun : archivetext::kRunCount.arg(*count));
}

void ArchiveBrowser::enableButtons()
{
    const bool chosen = m_table->selectionModel()->hasSelection();
    for (QPushButton *b : {m_open, m_save, m_delete})
        b->setEnabled(chosen);
}

std::optional<RunRecord> ArchiveBrowser::selectedRun() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    // The model's query shares its result with this copy: read the row where it stands.
    QSqlQuery q = m_model->query();
    if (!q.seek(rows.first().row()))
        return std::nullopt;
    return listedRun(q);
}

std::optional<QByteArray> ArchiveBrowser::selectedBytes(const RunRecord &run)
{
    auto bytes = m_db.bytes(run.key);
    if (!bytes)
        m_prompter.message(m_db.error(), archivetext::kArchiveTitle, Prompter::Icon::Critical);
    return bytes;
}

void ArchiveBrowser::openRun()
{
    const auto run = selectedRun();
    if (!run)
        return;
    if (const auto bytes = selectedBytes(*run))
        Q_EMIT runOpened(*bytes, runTitle(*run));
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
    const auto bytes = selectedBytes(*run);
    if (!bytes)
        return;
    QString error;
    if (!brv2::writeFileAtomically(path, *bytes, &error))
        m_prompter.message(msg::kSaveFailed.arg(path, error), archivetext::kArchiveTitle,
                           Prompter::Icon::Critical);
}

void ArchiveBrowser::deleteRun()
{
    const auto run = selectedRun();
    if (!run || !m_prompter.askYesNo(archivetext::kDeleteQuestion.arg(runName(*run)),
                                     archivetext::kArchiveTitle))
        return;
    if (!m_db.remove(run->key))
        m_prompter.message(m_db.error(), archivetext::kArchiveTitle, Prompter::Icon::Critical);
    refresh();
}
