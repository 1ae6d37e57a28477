#include "app/archive_commands.h"

#include "run/run_document.h"
#include "archive/record_of_run.h"
#include "app/frm_main.h"
#include "archive/archive_browser.h"
#include "archive/archive_settings_dialog.h"
#include "archive/audit_trail_dialog.h"
#include "archive/archive_texts.h"
#include "archive/browse_worker.h"
#include "common/sha256.h"
#include "view/frm_data.h"
#include "view/summary_view.h"
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
    connect(m_main.data()->summaryView(), &SummaryView::judgeAgainAsked, this,
            &ArchiveCommands::judgeShownAgain);
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
                openArchived(bytes, title);
                m_browser->close();
            });
    connect(m_browser, &ArchiveBrowser::judgeAgainAsked, this, &ArchiveCommands::judgeAgain);
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
        m_records.reset();
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

archive::ArchiveDb &ArchiveCommands::records()
{
    if (!m_records)
        m_records = std::make_unique<archive::ArchiveDb>(archive::chosenLocation());
    return *m_records;
}

void ArchiveCommands::openArchived(const QByteArray &bytes, const QString &title)
{
    const QString key = sha256Hex(bytes).left(16);
    const auto judgements = records().judgements(key);
    // Without its kept judgement the run is still shown, and the user told why it is judged
    // under today's limits.
    if (!judgements)
        m_main.prompter().message(archivetext::kKeptUnread.arg(records().error()),
                                  appinfo::title(), Prompter::Icon::Warning);
    Q_EMIT runOpened(bytes, title,
                     judgements ? archive::newestKept(key, *judgements) : std::nullopt);
}

void ArchiveCommands::judgeShownAgain()
{
    RunDocument &doc = m_main.document();
    if (!doc.kept())
        return;
    recordAgain({*doc.kept(), archive::judgedToday(doc)}, doc.title());
}

void ArchiveCommands::judgeAgain(const QString &key, const QString &name)
{
    // Judged as the window judges it: a document of the run under the window's limits.
    RunDocument run(&m_main.document().limitsStore());
    QString why;
    const auto compared = archive::compareWithToday(records(), key, run, &why);
    if (!compared) {
        m_main.prompter().message(why, archivetext::kJudgeAgainTitle, Prompter::Icon::Critical);
        return;
    }
    recordAgain(*compared, name);
}

void ArchiveCommands::recordAgain(const archive::Comparison &compared, const QString &name)
{
    Prompter &prompter = m_main.prompter();
    const QString &key = compared.kept.key;
    const QString kept = compared.kept.status.value_or(QString());
    if (!compared.today.status) {
        prompter.message(archivetext::kCannotJudgeToday.arg(compared.today.refusal),
                         archivetext::kJudgeAgainTitle, Prompter::Icon::Warning);
        return;
    }
    if (!compared.differs()) {
        prompter.message(archivetext::kVerdictStays.arg(key, kept), archivetext::kJudgeAgainTitle,
                         Prompter::Icon::Information);
        return;
    }
    const auto reason = prompter.inputText(
        archivetext::kJudgeAgainReason.arg(name, kept, *compared.today.status),
        archivetext::kJudgeAgainTitle, QString());
    if (!reason)
        return;
    if (reason->trimmed().isEmpty()) {
        prompter.message(archivetext::kRejudgeReasonRequired, archivetext::kJudgeAgainTitle,
                         Prompter::Icon::Warning);
        return;
    }
    const bool recorded = records().rejudge(key, compared.today.status, compared.today.limits,
                                            reason->trimmed());
    const auto judgements = recorded ? records().judgements(key) : std::nullopt;
    if (!judgements) {
        prompter.message(archivetext::kNotRejudged.arg(records().error()),
                         archivetext::kJudgeAgainTitle, Prompter::Icon::Critical);
        return;
    }
    // The run shown follows its newest judgement.
    RunDocument &doc = m_main.document();
    if (doc.kept() && doc.kept()->key == key)
        doc.keep(*archive::newestKept(key, *judgements));
    if (m_browser)
        m_browser->refresh();
    Q_EMIT rejudged();
}
