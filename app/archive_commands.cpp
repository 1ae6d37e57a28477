#include "app/archive_commands.h"

#include "run/run_document.h"
#include "archive/record_of_run.h"
#include "app/frm_main.h"
#include "archive/archive_browser.h"
#include "archive/archive_settings_dialog.h"
#include "archive/audit_trail_dialog.h"
#include "archive/archive_texts.h"
#include "archive/browse_worker.h"
#include "common/prompter.h"
#include "common/window_opener.h"

ArchiveCommands::ArchiveCommands(FrmMain &main)
    : QObject(&main), m_main(main), m_keeper(new archive::Keeper(this))
{
    connect(m_keeper, &archive::Keeper::kept, this, &ArchiveCommands::onKept);
    connect(m_keeper, &archive::Keeper::synced, this, &ArchiveCommands::onSynced);
    connect(m_keeper, &archive::Keeper::moveRecorded, this, [this](const QString &problem) {
        if (!problem.isEmpty())
            m_main.prompter().message(archivetext::kMoveNotRecorded.arg(problem),
                                      archivetext::kArchiveTitle, Prompter::Icon::Warning);
        Q_EMIT moveRecorded();
    });
    m_keeper->sync();
}

ArchiveCommands::~ArchiveCommands()
{
    delete m_browser;
    delete m_trail;
}

void ArchiveCommands::keepShown()
{
    const RunDocument &doc = m_main.document();
    if (doc.readingCount() == 0)
        return;
    // The bytes Save writes for what is shown.
    m_keeper->keep(archive::recordOf(doc));
    ++m_asked;
}

void ArchiveCommands::whenLastKept(std::function<void(bool)> then)
{
    if (m_answered == m_asked)
        then(m_lastKept);
    else
        m_waiting.emplace_back(m_asked, std::move(then));
}

ArchiveBrowser *ArchiveCommands::browser() const { return m_browser; }

AuditTrailDialog *ArchiveCommands::auditTrail() const { return m_trail; }

archive::BrowseWorker &ArchiveCommands::browseWorker()
{
    // Connected on the worker: a shared database may take seconds to answer, or to say it
    // will not, and the dialogs show meanwhile that they are asking.
    if (!m_browse)
        m_browse = new archive::BrowseWorker(archive::chosenLocation(), {}, this);
    return *m_browse;
}

void ArchiveCommands::openBrowser()
{
    if (windows::raiseOpen<ArchiveBrowser>(m_main))
        return;
    // Like a file dialog's Open: the run replaces what the data window shows, and the window
    // is the user's again.
    m_browser = new ArchiveBrowser(browseWorker(), m_main.prompter(), &m_main);
    connect(m_browser, &ArchiveBrowser::runOpened, this,
            [this](const QByteArray &bytes, const QString &title) {
                Q_EMIT runOpened(bytes, title);
                m_browser->close();
            });
    windows::show(m_browser.data(), windows::Kind::WindowModal);
}

void ArchiveCommands::openAuditTrail()
{
    if (windows::raiseOpen<AuditTrailDialog>(m_main))
        return;
    m_trail = new AuditTrailDialog(browseWorker(), m_main.prompter(),
                                   archive::describe(archive::chosenLocation()), &m_main);
    windows::show(m_trail.data(), windows::Kind::Modeless);
}

void ArchiveCommands::openSettings()
{
    if (windows::raiseOpen<ArchiveSettingsDialog>(m_main))
        return;
    auto *dialog = new ArchiveSettingsDialog(m_main.prompter(), &m_main);
    // The place the setting names as the dialog opens: a change of it goes into the trails of
    // the archive left and the archive taken.
    connect(dialog, &QDialog::accepted, this, [this, before = archive::storedLocation()] {
        if (const archive::Location after = archive::storedLocation(); after != before)
            m_keeper->recordMove(before, after);
        if (m_browser)
            m_browser->close();
        if (m_trail)
            m_trail->close();
        if (m_browse)
            m_browse->relocate(archive::chosenLocation());
        m_keeper->relocate();
        // A shared database chosen now may take the runs waiting here.
        m_keeper->sync();
    });
    windows::show(dialog, windows::Kind::WindowModal);
}

void ArchiveCommands::onKept(const archive::Archive::StoreOutcome &outcome)
{
    if (!outcome.ok())
        m_main.prompter().message(archivetext::kNotKept.arg(outcome.message), appinfo::title(),
                                  Prompter::Icon::Warning);
    else if (outcome.keptHere)
        tellAway(outcome.message);
    else
        m_toldAway = false; // stored in the shared archive, and the waiting runs sent after it
    if (m_browser)
        m_browser->refresh();
    ++m_answered;
    m_lastKept = outcome.ok();
    std::vector<std::function<void(bool)>> due;
    std::erase_if(m_waiting, [&](auto &w) {
        if (w.first != m_answered)
            return false;
        due.push_back(std::move(w.second));
        return true;
    });
    for (const auto &then : due)
        then(m_lastKept);
    Q_EMIT keptOrFailed();
}

void ArchiveCommands::onSynced(const archive::Archive::SyncOutcome &outcome)
{
    if (outcome.ok())
        m_toldAway = false;
    else if (outcome.waiting > 0)
        tellAway(archivetext::kWaitingHere.arg(outcome.message, QString::number(outcome.waiting)));
}

void ArchiveCommands::tellAway(const QString &message)
{
    if (m_toldAway)
        return;
    m_toldAway = true;
    m_main.prompter().message(message, appinfo::title(), Prompter::Icon::Information);
}
