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
    // Only a run of the archive keeps a judgement; it is set before it arrives.
    if (origin != RunOrigin::Archive)
        m_kept.reset();
    // The limits may have changed since they were read (another computer of the site, the
    // command line): a run that comes in is judged by those that apply now.
    m_store->reload();
    m_limitsStale = true;
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

setio::Opened RunDocument::openLoaded(setio::Loaded loaded, const QString &path)
{
    if (loaded.fahrenheit != (m_set->Cels_Faren == 0))
        return openFile(path);
    return opened(setio::show(*m_set, std::move(loaded)), RunOrigin::File,
                  QFileInfo(path).absoluteFilePath());
}

setio::Opened RunDocument::openFileBytes(const QByteArray &bytes, const QString &title)
{
    return opened(setio::openBytes(*m_set, bytes), RunOrigin::File, title);
}

setio::Opened RunDocument::openArchived(const QByteArray &bytes, const QString &title,
                                        std::optional<KeptJudgement> kept)
{
    const setio::Opened result = setio::openBytes(*m_set, bytes);
    if (result.status == setio::Status::Ok)
        m_kept = std::move(kept);
    return opened(result, RunOrigin::Archive, title);
}

void RunDocument::beginLive()
{
    arrived(RunOrigin::Live, kLiveKind, QString());
}

void RunDocument::lookupStored() const
{
    if (m_limitsStale) {
        const analysis::Validation kept = m_store->lookup(identity().serial);
        m_keptLimits = kept.limits.value_or(analysis::Limits{});
        m_refusal = kept.error;
        m_limitsStale = false;
    }
}

const analysis::Limits &RunDocument::lookupLimits() const
{
    if (m_ownLimits)
        return *m_ownLimits;
    // A run of the archive stays judged as it was, whatever the limits became since.
    if (m_kept && m_kept->limits)
        return *m_kept->limits;
    lookupStored();
    return m_keptLimits;
}

const analysis::Limits &RunDocument::limits() const { return lookupLimits(); }

const QString &RunDocument::limitsRefusal() const
{
    static const QString none;
    if (m_ownLimits || (m_kept && m_kept->limits))
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
    m_store->reload();
    m_limitsStale = true;
    m_summaryStale = true;
    refreshNow();
}

void RunDocument::keep(KeptJudgement kept)
{
    m_kept = std::move(kept);
    limitsChanged();
}

void RunDocument::recompute() const
{
    const analysis::SummaryInput input = analysis::summaryInputOf(*m_set);
    m_summary = analysis::summarize(input, lookupLimits());
    m_today.reset();
    if (m_kept) {
        lookupStored();
        // Judged by the same limits, the run is judged alike: one summary does for both.
        if (m_refusal.isEmpty())
            m_today = m_keptLimits == lookupLimits()
                          ? m_summary.verdict
                          : analysis::summarize(input, m_keptLimits).verdict;
    }
    m_summaryStale = false;
}

std::optional<analysis::Verdict> RunDocument::todaysVerdict() const
{
    if (!m_kept) {
        lookupStored();
        return m_refusal.isEmpty() && !m_ownLimits ? std::optional(summary().verdict)
                                                   : std::nullopt;
    }
    summary();
    return m_today;
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

