#pragma once

#include "archive/archive_db.h"
#include "archive/job_thread.h"
#include "archive/sign_dialog.h"

#include <QObject>

#include <memory>

class ArchiveCommands;
class FrmMain;

// The Summary tab's signatures: for the run shown, when the archive holds it (a download once
// kept, a run opened from the archive, a file whose bytes were kept), its signatures and the
// Sign... button. Signing asks the meaning and the password, then checks the password and signs
// on a thread of its own (a wrong password takes PAM seconds on purpose); the window stays the
// user's meanwhile. A refusal is one message.
class SignCommands : public QObject
{
    Q_OBJECT
public:
    SignCommands(FrmMain &main, ArchiveCommands &archive);
    ~SignCommands() override;

    // The asker of meaning and password (a test's script in place of the dialog).
    void setAsker(std::unique_ptr<archive::SignAsker> asker) { m_asker = std::move(asker); }
    // The PAM service the password is checked through.
    void setService(const QString &service) { m_service = service; }
    // The key of the run shown, whose signatures are shown; empty when none is.
    const QString &key() const { return m_key; }
    // A check or a signing is under way.
    bool isBusy() const { return m_busy; }

public Q_SLOTS:
    void sign();
    // Asks the archive again about the run shown (after it was kept, say).
    void lookUp();

Q_SIGNALS:
    // The archive's answer about the run shown came (and is shown).
    void lookedUp();
    // A signing ended, signed or refused (after any message).
    void signingEnded(bool signedIt);

private:
    void onDocument();
    void show();
    void take(const QString &key, const std::optional<archive::ArchiveDb::SigningState> &state,
              const QString &error);
    // On the job thread: the connection to the archive chosen now.
    archive::ArchiveDb &db();

    FrmMain &m_main;
    ArchiveCommands &m_archive;
    std::unique_ptr<archive::SignAsker> m_asker;
    QString m_service;
    QString m_key;
    archive::ArchiveDb::SigningState m_state;
    bool m_busy = false;
    archive::JobThread m_jobs{QStringLiteral("signing")};
    std::unique_ptr<archive::ArchiveDb> m_db; // the job thread's
};
