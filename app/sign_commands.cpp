#include "app/sign_commands.h"

#include "app/archive_commands.h"
#include "app/frm_main.h"
#include "archive/archive_browser.h"
#include "archive/archive_location.h"
#include "archive/archive_texts.h"
#include "archive/signer_name.h"
#include "archive/signing.h"
#include "auth/account.h"
#include "auth/password_check.h"
#include "common/prompter.h"
#include "common/sha256.h"
#include "run/run_document.h"
#include "view/frm_data.h"
#include "view/summary_view.h"

using archive::ArchiveDb;

SignCommands::SignCommands(FrmMain &main, ArchiveCommands &archive)
    : QObject(&main),
      m_main(main),
      m_archive(archive),
      m_asker(std::make_unique<archive::DialogSignAsker>()),
      m_service(auth::kPamService)
{
    SummaryView *view = m_main.data()->summaryView();
    connect(view, &SummaryView::signRequested, this, &SignCommands::sign);
    connect(&m_main.document(), &RunDocument::summaryChanged, this, &SignCommands::onDocument);
    // A download is kept after it is shown: asked again once the archive has it.
    connect(&m_archive, &ArchiveCommands::keptOrFailed, this, &SignCommands::lookUp);
    onDocument();
}

SignCommands::~SignCommands()
{
    m_jobs.finish([this] { m_db.reset(); });
}

ArchiveDb &SignCommands::db()
{
    const archive::Location chosen = archive::chosenLocation();
    if (!m_db || !(m_db->location() == chosen))
        m_db = std::make_unique<ArchiveDb>(chosen);
    return *m_db;
}

void SignCommands::onDocument()
{
    const RunDocument &doc = m_main.document();
    const QString key =
        doc.readingCount() > 0 ? sha256Hex(doc.fileBytes()).left(16) : QString();
    if (key == m_key)
        return;
    m_key = key;
    m_state = {};
    show();
    lookUp();
}

void SignCommands::lookUp()
{
    if (m_key.isEmpty())
        return;
    const QString key = m_key;
    m_jobs.post([this, key] {
        ArchiveDb &db = this->db();
        const auto state = db.signingState(key);
        const QString error = state ? QString() : db.error();
        QMetaObject::invokeMethod(
            this, [this, key, state, error] { take(key, state, error); }, Qt::QueuedConnection);
    });
}

void SignCommands::take(const QString &key,
                        const std::optional<ArchiveDb::SigningState> &state, const QString &)
{
    // An answer about a run no longer shown, or a failed look (the archive away): what is
    // shown stays.
    if (key != m_key || !state)
        return;
    m_state = *state;
    show();
    Q_EMIT lookedUp();
}

void SignCommands::show()
{
    QStringList lines;
    for (const archive::Signature &s : std::as_const(m_state.signatures))
        lines << archive::signatureLine(s);
    m_main.data()->summaryView()->showSignatures(
        m_state.held, lines, !m_busy && !m_state.withdrawn,
        m_busy ? archivetext::kCheckingPassword : QString());
}

void SignCommands::sign()
{
    if (m_busy || !m_state.held || m_state.withdrawn)
        return;
    const QString login = auth::currentLogin();
    QString name = archive::printedName(login);
    QString newName; // set with this signing
    if (name.isEmpty()) {
        const auto typed = m_main.prompter().inputText(archivetext::kAskName,
                                                       archivetext::kNameTitle, QString());
        if (!typed || typed->trimmed().isEmpty())
            return;
        name = newName = typed->trimmed();
    }
    std::optional<archive::SignAnswer> answer = m_asker->ask(name, &m_main);
    if (!answer)
        return;
    m_busy = true;
    show();
    const archive::SigningRequest request{m_key, answer->meaning, login, name};
    // The bytes go to the job as they are (shared, not copied); the check wipes them there.
    QByteArray password = std::exchange(answer->password, QByteArray());
    const QString service = m_service;
    m_jobs.post([this, request, password, newName, service]() mutable {
        ArchiveDb &db = this->db();
        archive::SigningOutcome outcome;
        if (!newName.isEmpty() && !archive::setProgramName(db, newName)) {
            auth::wipe(password);
            outcome.message = archivetext::kNotSigned.arg(db.error());
        } else {
            outcome = archive::signRun(db, request, password, service);
        }
        const auto state = db.signingState(request.key);
        QMetaObject::invokeMethod(
            this,
            [this, outcome, state, key = request.key] {
                m_busy = false;
                take(key, state, {});
                show();
                if (!outcome.ok())
                    m_main.prompter().message(outcome.message, archivetext::kSignTitle,
                                              Prompter::Icon::Warning);
                if (ArchiveBrowser *browser = m_archive.browser())
                    browser->refresh();
                Q_EMIT signingEnded(outcome.ok());
            },
            Qt::QueuedConnection);
    });
}
