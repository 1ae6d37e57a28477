#include "app/archive_commands.h"

#include "acquisition/reading_set.h"
#include "archive/record_from_set.h"
#include "app/frm_main.h"
#include "common/prompter.h"
#include "view/frm_data.h"

namespace {

const QString kNotKept = QStringLiteral(
    "The run was not kept in the archive. %1 The readings are shown and can be saved with "
    "File > Save.");

} // namespace

ArchiveCommands::ArchiveCommands(FrmMain &main, archive::Keeper::Factory makeArchive)
    : QObject(&main), m_main(main), m_keeper(new archive::Keeper(std::move(makeArchive), this))
{
    connect(m_keeper, &archive::Keeper::kept, this, &ArchiveCommands::onKept);
    connect(m_keeper, &archive::Keeper::synced, this, &ArchiveCommands::onSynced);
    m_keeper->sync();
}

void ArchiveCommands::keepShown(archive::Source source)
{
    const ReadingSet &set = m_main.data()->readingSet();
    if (set.readingCount() == 0)
        return;
    // The bytes Save would write for what is shown.
    m_keeper->keep(archive::recordFromSet(set, source, m_main.DATA_TYPE));
}

void ArchiveCommands::onKept(const archive::Archive::StoreOutcome &outcome)
{
    if (!outcome.ok())
        m_main.prompter().message(kNotKept.arg(outcome.message), appinfo::title(),
                                  Prompter::Icon::Warning);
    else if (outcome.keptHere)
        tellAway(outcome.message);
    else
        m_toldAway = false; // stored in the shared archive, and the waiting runs sent after it
    Q_EMIT keptOrFailed();
}

void ArchiveCommands::onSynced(const archive::Archive::SyncOutcome &outcome)
{
    if (outcome.ok())
        m_toldAway = false;
    else if (outcome.waiting > 0)
        tellAway(QStringLiteral("%1 %2 run(s) wait on this computer and will be sent on later.")
                     .arg(outcome.message)
                     .arg(outcome.waiting));
}

void ArchiveCommands::tellAway(const QString &message)
{
    if (m_toldAway)
        return;
    m_toldAway = true;
    m_main.prompter().message(message, appinfo::title(), Prompter::Icon::Information);
}
