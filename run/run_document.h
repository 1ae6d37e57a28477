#pragma once

#include "analysis/limits.h"
#include "analysis/summary.h"
#include "analysis/summary_output.h"
#include "common/logger_identity.h"
#include "datafile/set_io.h"
#include "run/kept_judgement.h"
#include "run/run_origin.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class LimitsStore;
class QTimer;
class ReadingSet;


// The run shown: the one owner of a reading set and of everything said about it. It knows how
// the run was obtained, its title, whose readings they are, the limits that apply to it and the
// one summary of it, and it gives the run's file bytes. The data window, the Summary tab, the
// table's tints and the graph's limit lines, the report, the workbook, the archive and
// kestrun-cli all read it; nobody else summarizes a run or looks up its limits.
//
// Runs come in one way each (a download, a file, a run of the archive, a live run); the set's
// table may then change under it (live rows, the unit switch), and the document follows: the
// summary is worked out again on the next turn of the event loop, so a burst of changes costs
// one summary, and summaryChanged() tells the views. summary() is always current, also
// without an event loop (kestrun-cli, tests).
class RunDocument : public QObject
{
    Q_OBJECT
public:
    // Limits are looked up in `store` (not owned); nullptr: the per-user settings, which the
    // window and kestrun-cli share.
    explicit RunDocument(LimitsStore *store = nullptr, QObject *parent = nullptr);
    ~RunDocument() override;

    ReadingSet &set() { return *m_set; }
    const ReadingSet &set() const { return *m_set; }

    RunOrigin origin() const { return m_origin; }
    // Whether its file is the logger's memory image (a download, an image file) rather than
    // the table's rows.
    bool savedAsImage() const { return m_fileKind == setio::kDownloaded; }
    // What the data window's frame shows of the run: empty, a file's name, " - " and the file
    // it was saved to, "Archive: ..." for a run of the archive.
    const QString &title() const { return m_title; }
    void setTitle(const QString &title);

    const LoggerIdentity &identity() const;
    // Whose readings the summary and the report name.
    analysis::RunHeader header() const;
    int readingCount() const;

    // --- Ways in. ---

    // Nothing shown: no readings, no model, no identity, no title.
    void clear();
    // A logger's memory image just read (the set shows it as the download does).
    void takeDownload(const QByteArray &image, int model);
    // A ".brv2" file, read completely before anything is replaced: on failure the run shown
    // stays as it was. Its title is the file's full name.
    setio::Opened openFile(const QString &path);
    // The same for a file read elsewhere (a FileLoader), in the unit shown; a file read in
    // another unit (the user switched while it was read) is read again.
    setio::Opened openLoaded(setio::Loaded loaded, const QString &path);
    // A ".brv2" file that came without a name of its own (standard input), named by `title`.
    setio::Opened openFileBytes(const QByteArray &bytes, const QString &title);
    // A run's file bytes kept in the archive, named by `title`. With the judgement it keeps,
    // it is judged under the limits kept with that judgement (when they were kept).
    setio::Opened openArchived(const QByteArray &bytes, const QString &title,
                               std::optional<KeptJudgement> kept = std::nullopt);
    // A live run begins: its rows arrive in the set one by one.
    void beginLive();

    // --- The limits. ---

    LimitsStore &limitsStore() { return *m_store; }
    // The limits that apply: those kept for the logger (or the default set), unless this run
    // was given its own. No limits while the kept ones are refused.
    const analysis::Limits &limits() const;
    // Why the kept limits are refused (a stored set that fails the check of typed limits);
    // empty when they are sound, or when this run was given its own. Refused limits judge
    // nothing: the summary is then one without limits, and no verdict may be drawn from it.
    const QString &limitsRefusal() const;
    // Limits for this run alone (kestrun-cli's options); nullopt goes back to the kept ones.
    void setLimits(std::optional<analysis::Limits> limits);
    // The kept limits were changed: read again and looked up, and the summary follows at once.
    void limitsChanged();

    // --- An archived run's kept judgement. ---

    // The judgement the archived run keeps; unset for any other run.
    const std::optional<KeptJudgement> &kept() const { return m_kept; }
    // The verdict under the limits that apply today (those kept for the logger, or the
    // default), whatever the run is judged by; unset while they are refused.
    std::optional<analysis::Verdict> todaysVerdict() const;
    // The run was judged again and keeps `kept` now: the summary follows it.
    void keep(KeptJudgement kept);

    // --- The one summary, and the run's file. ---

    const analysis::Summary &summary() const;
    // The ".brv2" bytes of the run as Save writes them: the memory image for a download or an
    // image file, the table's rows otherwise. Encoded once for every reader until the run
    // changes.
    const QByteArray &fileBytes() const;
    // Writes fileBytes() atomically; false with why.
    bool save(const QString &path, QString *error) const;

Q_SIGNALS:
    // The summary was worked out again (new readings, unit, identity or limits).
    void summaryChanged();
    void titleChanged(const QString &title);

private:
    void changed();
    // A run came in one of the ways in.
    void arrived(RunOrigin origin, int fileKind, const QString &title);
    void refreshNow();
    void watchSet();
    void recompute() const;
    const analysis::Limits &lookupLimits() const;
    // The limits kept for the logger (or the default), looked up when stale.
    void lookupStored() const;
    setio::Opened opened(const setio::Opened &result, RunOrigin origin, const QString &title);

    std::unique_ptr<LimitsStore> m_ownStore;
    LimitsStore *m_store = nullptr;
    ReadingSet *m_set = nullptr;
    QTimer *m_pending = nullptr;
    RunOrigin m_origin = RunOrigin::None;
    // The data kind the file of this run records: 1 for a memory image; a row file keeps the
    // kind it was read with, a live run's rows are kind 2.
    int m_fileKind = 0;
    QString m_title;
    std::optional<analysis::Limits> m_ownLimits;
    std::optional<KeptJudgement> m_kept;

    // Worked out when first asked for after a change.
    mutable bool m_summaryStale = true;
    mutable bool m_bytesStale = true;
    mutable bool m_limitsStale = true;
    mutable analysis::Summary m_summary;
    mutable std::optional<analysis::Verdict> m_today; // with m_summary, for a kept judgement
    mutable QByteArray m_bytes;
    mutable analysis::Limits m_keptLimits;
    mutable QString m_refusal;
};

