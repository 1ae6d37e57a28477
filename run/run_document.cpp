#include "run/run_document.h"

#include "acquisition/image_loader.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "analysis/limits_store.h"
#include "analysis/summary_input.h"
#include "common/output_file.h"

#include <QFileInfo>
#include <QTimer>

namespace {

// The data kinds a file records for a download's image and for a live run's rows.
constexpr int kImageKind = setio::kDownloaded;
constexpr int kLiveKind = 2;

} // namespace

RunDocument::RunDocument(LimitsStore *store, QObject *parent)
    : QObject(parent), m_store(store), m_set(new ReadingSet(this)), m_pending(new QTimer(this))
{
    if (!m_store) {
        m_ownStore = std::make_unique<LimitsStore>();
        m_store = m_ownStore.get();
    }
    m_pending->setSingleShot(true);
    m_pending->setInterval(0);
    connect(m_pending, &QTimer::timeout, this, &RunDocument::refreshNow);
    watchSet();
}

RunDocument::~RunDocument() = default;

void RunDocument::watchSet()
{
    const ReadingsTable &t = m_set->table();
    connect(&t, &QAbstractItemModel::modelReset, this, &RunDocument::changed);
    connect(&t, &QAbstractItemModel::rowsInserted, this, &RunDocument::changed);
    connect(&t, &QAbstractItemModel::rowsRemoved, this, &RunDocument::changed);
    connect(&t, &QAbstractItemModel::headerDataChanged, this, &RunDocument::changed);
    connect(&t, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                // The tints follow the summary; their own announcement is no new data.
                if (roles.size() != 1 || roles[0] != Qt::BackgroundRole)
                    changed();
            });
    connect(m_set, &ReadingSet::identityChanged, this, [this] {
        m_limitsStale = true;
        changed();
    });
}

void RunDocument::changed()
{
    m_summaryStale = true;
    m_bytesStale = true;
    m_pending->start();
}

void RunDocument::refreshNow()
{
    m_pending->stop();
    if (m_summaryStale)
        recompute();
    Q_EMIT summaryChanged();
}

void RunDocument::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    Q_EMIT titleChanged(m_title);
}

const LoggerIdentity &RunDocument::identity() const { return m_set->identity(); }

analysis::RunHeader RunDocument::header() const
{
    return {identity().serial, identity().location};
}

int RunDocument::readingCount() const { return m_set->readingCount(); }

void RunDocument::clear()
{
    ReadingsTable &t = m_set->table();
    t.setRows(1);
    t.setCols(6);
    t.setText(0, tablecol::kValueCol, tabletext::kTempC);
    t.setText(0, tablecol::kHumidityCol, tabletext::kRh);
    t.setText(0, 5, tabletext::kVoltage);
    m_set->setFileIdentity(QString(), QString());
    m_set->MODEL = 0;
    arrived(RunOrigin::None, 0, QString());
}

void RunDocument::arrived(RunOrigin origin, int fileKind, const QString &title)
{
    m_origin = origin;
    m_fileKind = fileKind;
    setTitle(title);
    changed();
}

void RunDocument::takeDownload(const QByteArray &image, int model)
{
    imageload::showImage(*m_set, image, model);
    arrived(RunOrigin::Download, kImageKind, QString());
}

setio::Opened RunDocument::opened(const setio::Opened &result, RunOrigin origin, const QString &title)
{
    if (result.status == setio::Status::Ok)
        arrived(origin, result.dataKind, title);
    return result;
}

setio::Opened RunDocument::openFile(const QString &path)
{
    return opened(setio::open(*m_set, path), RunOrigin::File, QFileInfo(path).absoluteFilePath());
}

setio::Opened RunDocument::openFileBytes(const QByteArray &bytes, const QString &title)
{
    return opened(setio::openBytes(*m_set, bytes), RunOrigin::File, title);
}

setio::Opened RunDocument::openArchived(const QByteArray &bytes, const QString &title)
{
    return opened(setio::openBytes(*m_set, bytes), RunOrigin::Archive, title);
}

void RunDocument::beginLive()
{
    arrived(RunOrigin::Live, kLiveKind, QString());
}

const analysis::Limits &RunDocument::lookupLimits() const
{
    if (m_ownLimits)
        return *m_ownLimits;
    if (m_limitsStale) {
        const analysis::Validation kept = m_store->lookup(identity().serial);
        m_keptLimits = kept.limits.value_or(analysis::Limits{});
        m_refusal = kept.error;
        m_limitsStale = false;
    }
    return m_keptLimits;
}

const analysis::Limits &RunDocument::limits() const { return lookupLimits(); }

const QString &RunDocument::limitsRefusal() const
{
    static const QString none;
    if (m_ownLimits)
        return none;
    lookupLimits();
    return m_refusal;
}

void RunDocument::setLimits(std::optional<analysis::Limits> limits)
{
    m_ownLimits = std::move(limits);
    limitsChanged();
}

void RunDocument::limitsChanged()
{
    m_limitsStale = true;
    m_summaryStale = true;
    refreshNow();
}

void RunDocument::recompute() const
{
    m_summary = analysis::summarize(analysis::summaryInputOf(*m_set), lookupLimits());
    m_summaryStale = false;
}

const analysis::Summary &RunDocument::summary() const
{
    if (m_summaryStale)
        recompute();
    return m_summary;
}

const QByteArray &RunDocument::fileBytes() const
{
    if (m_bytesStale) {
        m_bytes = setio::encode(*m_set, m_fileKind);
        m_bytesStale = false;
    }
    return m_bytes;
}

bool RunDocument::save(const QString &path, QString *error) const
{
    return outputfile::write(path, fileBytes(), error);
}

