#pragma once

#include "archive/archive_keeper.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <utility>
#include <vector>

class ArchiveBrowser;
class AuditTrailDialog;
namespace archive {
class BrowseWorker;
} // namespace archive
class FrmMain;

// The window's side of the archive: every run the data window obtains is handed to the keeper
// as Save would write it, and what went wrong is told once, in one message; the readings stay
// shown whatever happens to them in the archive.
class ArchiveCommands : public QObject
{
    Q_OBJECT
public:
    // Sends on the runs still waiting for the shared archive, as the program starts.
    explicit ArchiveCommands(FrmMain &main);
    // The browser goes first: it asks through this object's worker.
    ~ArchiveCommands() override;

    // The run shown, from a download or a live run.
    void keepShown();
    archive::Keeper &keeper() { return *m_keeper; }
    // Calls `then` with whether the run last handed to the keeper was kept, once the keeper
    // has said so (at once when it has).
    void whenLastKept(std::function<void(bool)> then);

    // File -> "Archive...": the runs kept, to open into the data window, save or delete.
    void openBrowser();
    // Setting -> "Archive...": where the archive is.
    void openSettings();
    ArchiveBrowser *browser() const;
    // File -> "Audit Trail...": the archive's trail, to read, filter and export.
    void openAuditTrail();
    AuditTrailDialog *auditTrail() const;

Q_SIGNALS:
    // A run was kept or failed to be (after any message); for tests.
    void keptOrFailed();
    // A change of where the archive is went into the trail, or failed to (after any message).
    void moveRecorded();
    // The browser's Open: the run's file bytes and the title that names it.
    void runOpened(const QByteArray &bytes, const QString &title);

private:
    void onKept(const archive::Archive::StoreOutcome &outcome);
    void onSynced(const archive::Archive::SyncOutcome &outcome);
    void tellAway(const QString &message);
    // The worker the browser and the Audit Trail window ask through, made at the first need.
    archive::BrowseWorker &browseWorker();

    FrmMain &m_main;
    archive::Keeper *m_keeper = nullptr;
    // The browser's questions to the archive, on a thread of its own; made at the first
    // opening and kept, connection and all, for the next.
    archive::BrowseWorker *m_browse = nullptr;
    QPointer<ArchiveBrowser> m_browser;
    QPointer<AuditTrailDialog> m_trail;
    // Runs handed to the keeper and answered so far; it answers them in order.
    int m_asked = 0;
    int m_answered = 0;
    bool m_lastKept = false;
    std::vector<std::pair<int, std::function<void(bool)>>> m_waiting;
    // The shared archive's absence is told once, until runs reach it again.
    bool m_toldAway = false;
};
