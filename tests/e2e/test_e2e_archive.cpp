// The archive through the real window: a download from the simulated logger and a live run are
// kept without a word to the user, come back out of kestrun-cli byte for byte and are found and
// opened in File -> Archive..., judged again there under limits set since; an archive that cannot take a run, or a shared one that stops
// answering, costs one message, never the readings shown.
#include "tests/support/e2e_fixture.h"

#include "acquisition/reading_set.h"
#include "analysis/limits_dialog.h"
#include "app/archive_commands.h"
#include "app/data_commands.h"
#include "app/sign_commands.h"
#include "archive/archive_location.h"
#include "auth/account.h"
#include "archive/archive_browser.h"
#include "archive/archive_location.h"
#include "archive/archive_settings_dialog.h"
#include "archive/audit_trail_dialog.h"
#include "archive/archive_texts.h"
#include "archive/run_table_model.h"
#include "archive/sign_dialog.h"
#include "tests/support/stalling_proxy.h"
#include "tests/tools/cli_process.h"
#include "view/frm_data.h"
#include "view/summary_view.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QUuid>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QCheckBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

#include <deque>
#include <memory>

#include <unistd.h>

// The signer's answers, in turn, in place of the dialog.
class ScriptedSignAsker final : public archive::SignAsker
{
public:
    explicit ScriptedSignAsker(std::deque<archive::SignAnswer> answers) : m_answers(std::move(answers)) {}
    std::optional<archive::SignAnswer> ask(const QString &name, QWidget *) override
    {
        names.push_back(name);
        if (m_answers.empty())
            return std::nullopt;
        archive::SignAnswer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    QStringList names;

private:
    std::deque<archive::SignAnswer> m_answers;
};

class TestE2eArchive : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString archiveFolder() const { return m_dir.filePath(QStringLiteral("archive")); }

    static ArchiveCommands *commands(e2e::Fixture &f) { return f.main().findChild<ArchiveCommands *>(); }

    static bool download(e2e::Fixture &f)
    {
        QSignalSpy done(f.main().findChild<DataCommands *>(), &DataCommands::downloadFinished);
        f.toolbar(QStringLiteral("ReadData"));
        return done.wait(40000) || done.count() > 0;
    }

    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

public Q_SLOTS:
    // The desktop's viewer, handed the reports the window writes.
    void viewed(const QUrl &) {}

private Q_SLOTS:
    void initTestCase()
    {
        // The window and kestrun-cli share the settings and the archive: both see this folder's.
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
        qputenv("KESTRUN_ARCHIVE", QFile::encodeName(archiveFolder()));
        // This computer's archive, where runs wait while a shared one is away.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    }

    void downloadAndLiveRunAreKept()
    {
        e2e::Fixture f;
        e2e::enableLogger(f.sim().state(), "COLD ROOM", 2);
        f.sim().state().model = 2;
        f.sim().state().started = true;
        f.sim().core().fillHistory(90);
        QVERIFY2(f.start(), qPrintable(f.why()));
        QSignalSpy kept(commands(f), &ArchiveCommands::keptOrFailed);
        QVERIFY(download(f));
        QVERIFY(kept.wait(20000) || kept.count() > 0);
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));

        // What the archive gives back is what Save writes.
        const QString saved = m_dir.filePath(QStringLiteral("saved"));
        f.prompter().fileAnswers = {saved};
        f.toolbar(QStringLiteral("Save"));
        const clitest::Result list = clitest::run({"archive", "list", "--json"}, 30000);
        QVERIFY2(list.ok(), list.err.constData());
        QJsonArray runs = QJsonDocument::fromJson(list.out).array();
        QCOMPARE(runs.size(), 1);
        QJsonObject run = runs.at(0).toObject();
        QCOMPARE(run.value("source").toString(), QStringLiteral("download"));
        QCOMPARE(run.value("readings").toInt(), 90);
        QCOMPARE(run.value("status").toString(), f.main().data()->summaryView()->verdictLabel()->text());
        const QString got = m_dir.filePath(QStringLiteral("got.brv2"));
        const clitest::Result get =
            clitest::run({"archive", "get", run.value("key").toString(), "-o", got}, 30000);
        QVERIFY2(get.ok(), get.err.constData());
        QCOMPARE(fileBytes(got), fileBytes(saved + ".brv2"));

        // A live run is kept when it is stopped.
        f.toolbar(QStringLiteral("RealTime"));
        f.main().ComboRTC()->setCurrentIndex(0); // "2 Seconds"
        f.main().toolbarAction(QStringLiteral("RTCStart"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(f.main().data()->readingSet().readingCount() >= 2, 12000);
        f.main().toolbarAction(QStringLiteral("RTCStart"))->trigger(); // "Stop Reading"
        QVERIFY(kept.wait(20000) || kept.count() > 1);
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));
        const clitest::Result both = clitest::run({"archive", "list", "--json"}, 30000);
        runs = QJsonDocument::fromJson(both.out).array();
        QCOMPARE(runs.size(), 2);
        run = runs.at(0).toObject();
        QCOMPARE(run.value("source").toString(), QStringLiteral("live"));
        QCOMPARE(run.value("readings").toInt(), f.main().data()->readingSet().readingCount());

        // File -> Archive...: the download found by its location and opened into the data
        // window as a file would be; saved again, it is the file saved before.
        f.toolbar(QStringLiteral("RTCDone"));
        QVERIFY(f.menu(QStringLiteral("mArchive")));
        ArchiveBrowser *browser = commands(f)->browser();
        QVERIFY(browser && browser->isVisible());
        // The answers come from the browser's worker; typing asks once it pauses.
        const auto listed = [&browser] { return !browser->isAsking() && !browser->pauseTimer().isActive(); };
        QTRY_VERIFY(listed());
        QCOMPARE(browser->table()->model()->rowCount(), 2);
        // Checked on its worker as it opened: both runs, both store events.
        QTRY_COMPARE(browser->checkLabel()->text(), archivetext::kVerifiedShown.arg(2).arg(2));
        QTest::keyClicks(browser->locationEdit(), QStringLiteral("cold"));
        QTRY_VERIFY(listed());
        QCOMPARE(browser->table()->model()->rowCount(), 2);
        browser->alarmsOnlyBox()->setChecked(true);
        QTRY_VERIFY(listed());
        QCOMPARE(browser->table()->model()->rowCount(), 0);
        browser->alarmsOnlyBox()->setChecked(false);
        QTRY_VERIFY(listed());
        browser->table()->selectRow(1); // newest first: the download is the older run
        browser->openButton()->click();
        QTRY_VERIFY(!commands(f)->browser());
        FrmData *d = f.main().data();
        QCOMPARE(d->readingSet().readingCount(), 90);
        QVERIFY2(d->caption().startsWith(QStringLiteral("Archive: 0045 COLD ROOM")), qPrintable(d->caption()));
        QCOMPARE(d->windowTitle(), d->caption());
        const QString again = m_dir.filePath(QStringLiteral("again"));
        f.prompter().fileAnswers = {again};
        f.toolbar(QStringLiteral("Save"));
        QCOMPARE(fileBytes(again + ".brv2"), fileBytes(saved + ".brv2"));
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));

        // The run keeps the judgement it was stored with. Limits set now judge it ALARM: the
        // Summary tab shows both, and "Judge again..." records the new one with its reason.
        // The tab follows the document on the next turn of the event loop.
        SummaryView *summary = d->summaryView();
        QTRY_VERIFY2(summary->keptLabel()->text().startsWith(QStringLiteral("Kept: NO LIMITS, at storing on ")),
                     qPrintable(summary->keptLabel()->text()));
        QVERIFY(summary->judgeAgainButton()->isHidden());
        QVERIFY(f.menu(QStringLiteral("mLimits")));
        auto *limits = f.main().findChild<LimitsDialog *>();
        QVERIFY(limits && limits->loggerButton()->isChecked());
        limits->highEdit(analysis::Quantity::Temperature)->setText(QStringLiteral("-100"));
        limits->okButton()->click();
        QCOMPARE(summary->verdictLabel()->text(), QStringLiteral("NO LIMITS"));
        const QString bothShown = summary->keptLabel()->text();
        QVERIFY2(bothShown.endsWith(QStringLiteral(" \u2014 Under today's limits: ALARM")),
                 qPrintable(bothShown));
        QVERIFY(!summary->judgeAgainButton()->isHidden());
        QSignalSpy rejudged(commands(f), &ArchiveCommands::rejudged);
        f.prompter().inputAnswers = {QStringLiteral("limits were set after the download")};
        summary->judgeAgainButton()->click();
        QCOMPARE(rejudged.count(), 1);
        QCOMPARE(summary->verdictLabel()->text(), QStringLiteral("ALARM"));
        QVERIFY2(summary->keptLabel()->text().startsWith(QStringLiteral("Kept: ALARM, judged again on ")),
                 qPrintable(summary->keptLabel()->text()));
        QVERIFY(summary->judgeAgainButton()->isHidden());
        const clitest::Result alarms = clitest::run({"archive", "list", "--alarms", "--json"}, 30000);
        runs = QJsonDocument::fromJson(alarms.out).array();
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs.at(0).toObject().value("readings").toInt(), 90);
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));

        // The browser's "Judge again..." under limits changed elsewhere (kestrun-cli).
        QVERIFY(clitest::run({"limits", "set", "--serial", "45", "--high", "1000"}, 30000).ok());
        QVERIFY(f.menu(QStringLiteral("mArchive")));
        browser = commands(f)->browser();
        QVERIFY(browser);
        QTRY_VERIFY(!browser->isAsking() && !browser->pauseTimer().isActive());
        browser->table()->selectRow(1);
        f.prompter().inputAnswers = {QStringLiteral("limits widened")};
        browser->judgeAgainButton()->click();
        QCOMPARE(rejudged.count(), 2);
        const clitest::Result after = clitest::run({"archive", "list", "--json"}, 30000);
        runs = QJsonDocument::fromJson(after.out).array();
        QCOMPARE(runs.at(1).toObject().value("status").toString(), QStringLiteral("OK"));
        // The live run withdrawn with a reason: gone from the list, there for --withdrawn.
        QVERIFY(f.menu(QStringLiteral("mArchive")));
        browser = commands(f)->browser();
        QTRY_VERIFY(listed());
        browser->table()->selectRow(0);
        f.prompter().inputAnswers = {QStringLiteral("Test run, not a shipment")};
        browser->withdrawButton()->click();
        QTRY_VERIFY(listed());
        QCOMPARE(browser->table()->model()->rowCount(), 1);
        const clitest::Result withdrawnToo =
            clitest::run({"archive", "list", "--withdrawn", "--json"}, 30000);
        runs = QJsonDocument::fromJson(withdrawnToo.out).array();
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs.at(0).toObject().value("source").toString(), QStringLiteral("live"));
        QCOMPARE(runs.at(0).toObject().value("withdrawn").toBool(), true);
        QCOMPARE(runs.at(1).toObject().value("withdrawn").toBool(), false);
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));
    }

    // Setting -> Archive... moving the archive is in the trail of the archive taken, without
    // the password a hand-edited setting held; File -> Audit Trail... lists it beside the
    // download's store event, filters by action and exports what it shows as CSV.
    void theTrailIsReadAndExported()
    {
        // This computer's archive of its own, which the setting chooses.
        qunsetenv("KESTRUN_ARCHIVE");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("trail-data"))));
        const auto restore = qScopeGuard([this] {
            archive::setStoredChoice(QString());
            qputenv("KESTRUN_ARCHIVE", QFile::encodeName(archiveFolder()));
            qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
        });
        const QString left = QStringLiteral("host=/nonexistent dbname=gone password=sekrit");
        archive::setStoredChoice(left);
        e2e::Fixture f;
        e2e::enableLogger(f.sim().state(), "TRAIL", 1);
        f.sim().core().fillHistory(20);
        QVERIFY2(f.start(), qPrintable(f.why()));

        QSignalSpy moved(commands(f), &ArchiveCommands::moveRecorded);
        QVERIFY(f.menu(QStringLiteral("mArchiveSetting")));
        auto *settings = f.main().findChild<ArchiveSettingsDialog *>();
        QVERIFY(settings);
        settings->thisComputerButton()->setChecked(true);
        settings->okButton()->click();
        QVERIFY(moved.wait(20000) || moved.count() > 0);
        QSignalSpy kept(commands(f), &ArchiveCommands::keptOrFailed);
        QVERIFY(download(f));
        QVERIFY(kept.wait(20000) || kept.count() > 0);
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));

        QVERIFY(f.menu(QStringLiteral("mAuditTrail")));
        AuditTrailDialog *trail = commands(f)->auditTrail();
        QVERIFY(trail && trail->isVisible());
        const auto listed = [trail] { return !trail->isAsking() && !trail->pauseTimer().isActive(); };
        QTRY_VERIFY(listed());
        QCOMPARE(trail->table()->rowCount(), 2);
        QCOMPARE(trail->table()->item(1, 4)->text(), QStringLiteral("store"));
        trail->actionBox()->setCurrentIndex(trail->actionBox()->findData(QStringLiteral("settings")));
        QTRY_VERIFY(listed());
        QCOMPARE(trail->table()->rowCount(), 1);

        const QString csv = m_dir.filePath(QStringLiteral("trail"));
        f.prompter().fileAnswers = {csv};
        trail->csvButton()->click();
        const QStringList records =
            QString::fromUtf8(fileBytes(csv + ".csv")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0), archivetext::kEventHeadings.join(','));
        QVERIFY2(records.at(1).startsWith(QStringLiteral("1,")), qPrintable(records.at(1)));
        QVERIFY2(records.at(1).contains(QStringLiteral(",settings,")), qPrintable(records.at(1)));
        const QString details = QStringLiteral("{\"\"name\"\":\"\"archive\"\",\"\"new\"\":\"\"%1\"\",\"\"old\"\":\"\"")
                                    .arg(archive::describe(archive::storedLocation()));
        QVERIFY2(records.at(1).contains(details), qPrintable(records.at(1)));
        QVERIFY2(records.at(1).contains(QStringLiteral("dbname=gone")), qPrintable(records.at(1)));
        QVERIFY2(!records.at(1).contains(QStringLiteral("sekrit")), qPrintable(records.at(1)));

        // The PDF: the filter named in its heading, and the one event printed.
        const QString pdf = m_dir.filePath(QStringLiteral("trail.pdf"));
        f.prompter().fileAnswers = {pdf};
        trail->pdfButton()->click();
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
        for (const QString &text : {archivetext::kTrailFilter.arg("action=settings"), archivetext::kOneEvent,
                                    QStringLiteral("settings Details: {\"name\":\"archive\"")})
            QVERIFY2(printed.contains(text), qPrintable(printed));
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));
    }

    // A damaged archive is left as it is: the user is told once, and the download is shown and
    // can be saved.
    void aRunTheArchiveCannotTakeIsOneMessage()
    {
        QTemporaryDir other;
        QFile damaged(other.filePath(QStringLiteral("archive.sqlite")));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(QByteArray(4096, 'x')) == 4096);
        damaged.close();
        qputenv("KESTRUN_ARCHIVE", QFile::encodeName(other.path()));
        e2e::Fixture f;
        e2e::enableLogger(f.sim().state(), "COLD ROOM", 2);
        f.sim().core().fillHistory(30);
        QVERIFY2(f.start(), qPrintable(f.why()));
        QSignalSpy kept(commands(f), &ArchiveCommands::keptOrFailed);
        QVERIFY(download(f));
        QVERIFY(kept.wait(20000) || kept.count() > 0);
        qputenv("KESTRUN_ARCHIVE", QFile::encodeName(archiveFolder()));
        QCOMPARE(f.prompter().messages().size(), 1);
        QVERIFY2(f.prompter().messages().at(0).contains(QStringLiteral("damaged")),
                 qPrintable(f.prompter().messages().at(0)));
        QCOMPARE(f.main().data()->readingSet().readingCount(), 30);
        QCOMPARE(fileBytes(damaged.fileName()), QByteArray(4096, 'x'));
    }

    // Runs read while the shared database is away (no server, or one that stops answering in
    // the middle of storing the first run) wait on this computer, the user told once, with no
    // wait beyond the deadlines the connection string sets; the program's next start sends
    // them on (to the PostgreSQL server scripts/test starts).
    void aSharedArchiveAwayIsToldOnceAndSentOnAtStart_data()
    {
        QTest::addColumn<bool>("stalls");
        QTest::newRow("no server") << false;
        QTest::newRow("a server that stops answering") << true;
    }
    void aSharedArchiveAwayIsToldOnceAndSentOnAtStart()
    {
        QFETCH(bool, stalls);
        const QString cluster = qEnvironmentVariable("KESTRUN_TEST_PG_CLUSTER");
        if (stalls && cluster.isEmpty())
            QSKIP("no PostgreSQL cluster given (scripts/test starts one: KESTRUN_TEST_PG_CLUSTER)");
        std::unique_ptr<testproxy::StallingProxy> proxy;
        QString away = "host=" + m_dir.filePath("no-server") + " dbname=loggers";
        if (stalls) {
            proxy = std::make_unique<testproxy::StallingProxy>(cluster + "/.s.PGSQL.5432",
                                                               testproxy::StallingProxy::Mode::Forward);
            proxy->stallOn("DOCK 4");
            away = QStringLiteral("host=127.0.0.1 port=%1 user=postgres dbname=kestrun "
                                  "connect_timeout=2 options='-c statement_timeout=1000'")
                       .arg(proxy->port());
        }
        qputenv("KESTRUN_ARCHIVE", away.toUtf8());
        {
            e2e::Fixture f;
            e2e::enableLogger(f.sim().state(), "DOCK 4", 5);
            QVERIFY2(f.start(), qPrintable(f.why()));
            QSignalSpy kept(commands(f), &ArchiveCommands::keptOrFailed);
            for (const int readings : {20, 21}) {
                f.sim().core().fillHistory(readings);
                QVERIFY(download(f));
                QTRY_COMPARE_WITH_TIMEOUT(kept.count(), readings - 19, 20000);
            }
            QCOMPARE(f.prompter().messages().size(), 1);
            QVERIFY2(f.prompter().messages().at(0).contains(QStringLiteral("kept on this computer")),
                     qPrintable(f.prompter().messages().at(0)));
            if (stalls)
                QCOMPARE(f.prompter().messages().at(0),
                         archivetext::kKeptHere.arg(archivetext::kNoAnswer.arg(away, "1.5")));
        }
        proxy.reset();
        archive::ArchiveDb here(archive::localLocation());
        QCOMPARE(here.waitingToSend().value_or(QList<archive::RunRecord>()).size(), 2);

        const QByteArray server = qgetenv("KESTRUN_TEST_PG");
        qputenv("KESTRUN_ARCHIVE", QFile::encodeName(archiveFolder()));
        if (server.isEmpty())
            QSKIP("no PostgreSQL server given (scripts/test starts one: KESTRUN_TEST_PG)");
        archive::ArchiveDb shared(archive::locationFrom(QString::fromUtf8(server)));
        QVERIFY2(shared.open(), qPrintable(shared.error()));
        // Emptied behind the program's back (it never deletes a run), its schema left whole.
        QSqlQuery empty(shared.database());
        for (const char *table : {"signatures", "judgements", "audit_events", "run_bytes", "runs"})
            QVERIFY(empty.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table))));
        qputenv("KESTRUN_ARCHIVE", server);
        e2e::Fixture g;
        QVERIFY2(g.start(), qPrintable(g.why()));
        QTRY_COMPARE_WITH_TIMEOUT(shared.list().value_or(QList<archive::RunRecord>()).size(), 2, 20000);
        qputenv("KESTRUN_ARCHIVE", QFile::encodeName(archiveFolder()));
        QCOMPARE(here.waitingToSend().value_or(QList<archive::RunRecord>()).size(), 0);
        QVERIFY2(g.prompter().messages().isEmpty(), qPrintable(g.prompter().messages().join('|')));
    }
    // Summary -> Sign... on a download once kept: a wrong password is one message and a failed
    // signing, the right one a signature shown in the tab, in the browser's column and in
    // kestrun-cli's list. The password goes through the real PAM stack, to a service of this
    // test's own whose one rule compares it with this test's secret (the window runs as root,
    // whose own password a test must not know).
    void signedInTheWindow()
    {
        if (geteuid() != 0)
            QSKIP("a PAM service of the test's own is written to /etc/pam.d, which needs root");
        QTemporaryDir place;
        const QByteArray secret = "Kt-" + QUuid::createUuid().toByteArray(QUuid::Id128);
        const QString checker = place.filePath(QStringLiteral("check"));
        QFile script(checker);
        QVERIFY(script.open(QIODevice::WriteOnly));
        // pam_exec gives the password on standard input, ended by a NUL byte.
        script.write("IFS= read -r -d '' pw\n[ \"$pw\" = '" + secret + "' ]\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString service = QStringLiteral("kestrun-e2e-") + QString::number(getpid());
        QFile rules(QStringLiteral("/etc/pam.d/") + service);
        QVERIFY(rules.open(QIODevice::WriteOnly));
        // As the system's common-auth does: a check that fails falls to pam_deny, which says
        // the password is wrong.
        rules.write("auth [success=1 default=ignore] pam_exec.so expose_authtok quiet /bin/bash " +
                    checker.toUtf8() +
                    "\nauth requisite pam_deny.so\nauth required pam_permit.so\n"
                    "account required pam_permit.so\n");
        rules.close();
        const auto gone = qScopeGuard([&rules] { rules.remove(); });
        qputenv("KESTRUN_ARCHIVE", QFile::encodeName(place.filePath(QStringLiteral("archive"))));
        const auto back = qScopeGuard([this] { qputenv("KESTRUN_ARCHIVE", QFile::encodeName(archiveFolder())); });

        e2e::Fixture f;
        e2e::enableLogger(f.sim().state(), "COLD ROOM", 2);
        f.sim().core().fillHistory(40);
        QVERIFY2(f.start(), qPrintable(f.why()));
        auto *signing = f.main().findChild<SignCommands *>();
        QVERIFY(signing);
        signing->setService(service);
        auto *asker = new ScriptedSignAsker({{archive::Meaning::Approved, secret + 'x'},
                                             {archive::Meaning::Reviewed, secret}});
        signing->setAsker(std::unique_ptr<archive::SignAsker>(asker));
        SummaryView *view = f.main().data()->summaryView();
        QVERIFY(!view->signButton()->isEnabled());
        QSignalSpy lookedUp(signing, &SignCommands::lookedUp);
        QVERIFY(download(f));
        QTRY_VERIFY_WITH_TIMEOUT(view->signButton()->isEnabled(), 20000);
        QVERIFY(!view->signaturesBox()->isHidden());
        QCOMPARE(view->signaturesLabel()->text(), archivetext::kNotSignedYet);

        QSignalSpy ended(signing, &SignCommands::signingEnded);
        view->signButton()->click();
        // Checked on the signing thread: the window is back at once, the button waits.
        QVERIFY(signing->isBusy());
        QVERIFY(!view->signButton()->isEnabled());
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.last().at(0).toBool(), false);
        QCOMPARE(f.prompter().messages(), QStringList{archivetext::kSignWrongPassword});
        view->signButton()->click();
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.last().at(0).toBool(), true);
        QCOMPARE(f.prompter().messages().size(), 1);
        const QString name = auth::fullName(auth::currentLogin());
        QCOMPARE(asker->names, (QStringList{name, name}));
        const QString shown = view->signaturesLabel()->text();
        QVERIFY2(shown.startsWith(QStringLiteral("Reviewed by %1 (%2), ").arg(name, auth::currentLogin())) &&
                     !shown.contains('\n'),
                 qPrintable(shown));

        const clitest::Result list = clitest::run({"archive", "list", "--json"}, 30000);
        QVERIFY2(list.ok(), list.err.constData());
        const QJsonArray signatures = QJsonDocument::fromJson(list.out).array().at(0)["signatures"].toArray();
        QCOMPARE(signatures.size(), 1);
        QCOMPARE(signatures.at(0)["meaning"].toString(), QStringLiteral("reviewed"));
        archive::ArchiveDb db(archive::chosenLocation());
        QStringList actions;
        for (const archive::AuditEvent &e : db.events().value_or(QList<archive::AuditEvent>()))
            actions << e.action;
        QCOMPARE(actions, (QStringList{"store", "sign-failed", "sign"}));

        // Reported from the window, the signed run's report verifies: its bytes, its figures,
        // and its signature found in the trail.
        const QString pdf = m_dir.filePath(QStringLiteral("signed.pdf"));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "viewed");
        f.prompter().fileAnswers = {pdf};
        f.main().menuAction(QStringLiteral("ReportPdf"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        const clitest::Result verified = clitest::run({"verify", pdf}, 30000);
        QVERIFY2(verified.ok() && verified.outText().startsWith(QStringLiteral("verified: ")),
                 qPrintable(verified.errText()));

        QVERIFY(f.menu(QStringLiteral("mArchive")));
        ArchiveBrowser *browser = commands(f)->browser();
        QVERIFY(browser);
        QTRY_VERIFY(!browser->isAsking());
        const QAbstractItemModel *rows = browser->table()->model();
        QCOMPARE(rows->headerData(archive::RunTableModel::kSignaturesColumn, Qt::Horizontal).toString(),
                 archivetext::kSignaturesHeading);
        QCOMPARE(rows->index(0, archive::RunTableModel::kSignaturesColumn).data().toString(),
                 QStringLiteral("Reviewed by %1").arg(name));
    }
};

QTEST_MAIN(TestE2eArchive)
#include "test_e2e_archive.moc"
