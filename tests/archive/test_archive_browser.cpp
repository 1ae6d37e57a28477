// The archive's dialogs over a small SQLite archive: the browser's filters, a run opened, saved
// and withdrawn through its buttons, the archive's check as it opens, every answer coming from
// its worker; a slow archive and one
// that cannot be listed; the settings dialog keeping a connection string only when it holds no
// password and names PostgreSQL; a connection string's secrets shown nowhere.

#include "archive/archive_browser.h"
#include "archive/archive_db.h"
#include "archive/archive_settings_dialog.h"
#include "archive/archive_texts.h"
#include "archive/browse_worker.h"
#include "archive/run_table_model.h"
#include "common/prompter.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <atomic>

using namespace archive;

namespace {

RunRecord run(int serial, const char *location, QDate first, int days, const char *status)
{
    RunRecord r;
    setBytes(r, QByteArray("run of ") + location);
    r.model = 1;
    r.serial = serial;
    r.location = QLatin1String(location);
    r.first = QDateTime(first, QTime(12, 0), Qt::UTC);
    r.last = r.first.addDays(days);
    r.readings = days * 96;
    r.user = QStringLiteral("ann");
    r.computer = QStringLiteral("cold-store-pc");
    if (status)
        r.status = QLatin1String(status);
    return r;
}

} // namespace

class TestArchiveBrowser : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveDb> m_db;
    std::unique_ptr<BrowseWorker> m_worker;
    ScriptedPrompter m_prompter;
    const RunRecord m_freezer = run(45, "FREEZER 2", QDate(2024, 5, 17), 4, "OK");
    const RunRecord m_coldRoom = run(45, "Cold room", QDate(2024, 6, 1), 2, "ALARM");
    const RunRecord m_lab = run(12, "Lab A", QDate(2024, 5, 1), 1, "ALARM");
    const RunRecord m_other = run(7, "Freezer 1", QDate(2024, 7, 1), 3, nullptr);

    Location location() const { return {Location::Kind::SQLite, m_dir.filePath(kFileName)}; }

    // Takes a run out of the archive behind the program's back (the program never deletes one).
    void forget(const QString &key)
    {
        for (const char *table : {"judgements", "run_bytes", "runs"}) {
            QSqlQuery q(m_db->database());
            q.prepare(QStringLiteral("DELETE FROM %1 WHERE run_key = ?").arg(QLatin1String(table)));
            q.addBindValue(key);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
    }

    int rowOf(const ArchiveBrowser &browser, const QString &key)
    {
        const auto *model = static_cast<RunTableModel *>(browser.table()->model());
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->keyAt(row) == key)
                return row;
        return -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qunsetenv(kEnvironment);
    }

    // A fresh archive of four runs for every test.
    void init()
    {
        m_worker.reset();
        m_db.reset();
        QFile::remove(m_dir.filePath(QLatin1String(kFileName)));
        m_db = std::make_unique<ArchiveDb>(location());
        for (const RunRecord &r : {m_freezer, m_coldRoom, m_lab, m_other})
            QVERIFY2(m_db->store(r) == ArchiveDb::Stored::Added, qPrintable(m_db->error()));
        m_worker = std::make_unique<BrowseWorker>(location());
        m_prompter = ScriptedPrompter();
    }

    void filters_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("alarmsOnly");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("refused");
        QTest::newRow("none") << "" << "" << "" << "" << false << 4 << false;
        QTest::newRow("serial, digits only") << "4x5" << "" << "" << "" << false << 2 << false;
        QTest::newRow("location text, any case") << "" << "freezer" << "" << "" << false << 2 << false;
        QTest::newRow("readings on or after") << "" << "" << "2024-06-01" << "" << false << 2 << false;
        QTest::newRow("readings up to the end of the day") << "" << "" << "" << "2024-05-17" << false << 2 << false;
        QTest::newRow("date range") << "" << "" << "2024-05-10" << "2024-05-31" << false << 1 << false;
        QTest::newRow("alarms only") << "" << "" << "" << "" << true << 2 << false;
        QTest::newRow("alarms of one logger") << "45" << "" << "" << "" << true << 1 << false;
        QTest::newRow("a date that does not read") << "" << "" << "17.05.x" << "" << false << 4 << true;
        QTest::newRow("up to a minute, its last second") << "" << "" << "" << "2024-05-01T12:00" << false << 1 << false;
        QTest::newRow("from a second") << "" << "" << "2024-07-04T12:00:00" << "" << false << 1 << false;
        QTest::newRow("a date followed by more") << "" << "" << "2024-06-01junk" << "" << false << 4 << true;
        QTest::newRow("a time that is no time") << "" << "" << "2024-06-01T99:99:99" << "" << false << 4 << true;
        QTest::newRow("a date and hour only") << "" << "" << "2024-06-01T12" << "" << false << 4 << true;
    }
    void filters()
    {
        QFETCH(QString, serial);
        QFETCH(QString, location);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, alarmsOnly);
        QFETCH(int, rows);
        QFETCH(bool, refused);
        ArchiveBrowser browser(*m_worker, m_prompter);
        browser.show();
        QTest::keyClicks(browser.serialEdit(), serial);
        QTest::keyClicks(browser.locationEdit(), location);
        QTest::keyClicks(browser.fromEdit(), from);
        QTest::keyClicks(browser.toEdit(), to);
        // Typing asks once it pauses (its handler called here); the box asks at once.
        QCOMPARE(browser.pauseTimer().isActive(), !(serial + location + from + to).isEmpty());
        browser.alarmsOnlyBox()->setChecked(alarmsOnly);
        browser.applyFilter();
        QVERIFY(!browser.pauseTimer().isActive());
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(browser.table()->model()->rowCount(), rows);
        const QString count = rows == 1 ? archivetext::kOneRun : archivetext::kRunCount.arg(rows);
        QCOMPARE(browser.countLabel()->text(), refused ? archivetext::kBadDate : count);
        QCOMPARE(browser.fromEdit()->styleSheet().isEmpty(), !refused);
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void openSaveWithdraw()
    {
        ArchiveBrowser browser(*m_worker, m_prompter);
        QSignalSpy checked(&browser, &ArchiveBrowser::checked);
        browser.show();
        QVERIFY(!browser.openButton()->isEnabled());
        QVERIFY(browser.readOnlyLabel()->isHidden());
        // Sorted by the database on a header click.
        browser.table()->horizontalHeader()->setSortIndicator(int(RunColumn::Readings), Qt::AscendingOrder);
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(rowOf(browser, m_lab.key), 0);
        // Who stored the run, and where.
        const QAbstractItemModel *model = browser.table()->model();
        QCOMPARE(model->data(model->index(0, int(RunColumn::StoredBy))).toString(), QStringLiteral("ann"));
        QCOMPARE(model->data(model->index(0, int(RunColumn::Computer))).toString(),
                 QStringLiteral("cold-store-pc"));
        QTRY_COMPARE(checked.size(), 1);
        QCOMPARE(browser.checkLabel()->text(), archivetext::kVerifiedShown.arg(4).arg(4));

        browser.table()->selectRow(rowOf(browser, m_freezer.key));
        QVERIFY(browser.openButton()->isEnabled() && browser.withdrawButton()->isEnabled());
        QSignalSpy opened(&browser, &ArchiveBrowser::runOpened);
        browser.openButton()->click();
        // Asked for, not waited for: the buttons wait for the answer.
        QCOMPARE(browser.countLabel()->text(), archivetext::kAsking);
        QVERIFY(!browser.openButton()->isEnabled());
        QTRY_COMPARE(opened.size(), 1);
        QVERIFY(browser.openButton()->isEnabled());
        QCOMPARE(opened.at(0).at(0).toByteArray(), m_freezer.bytes);
        const QString title = opened.at(0).at(1).toString();
        for (const QString &part : {QStringLiteral("0045 FREEZER 2"), shownTime(m_freezer.first),
                                    shownTime(m_freezer.last)})
            QVERIFY2(title.contains(part), qPrintable(title));

        // Saved as it is stored; ".brv2" added to a name without one. A failure names the file.
        const QString missing = m_dir.filePath("no folder/run.brv2");
        m_prompter.fileAnswers << m_dir.filePath("copy") << missing;
        browser.saveButton()->click();
        QTRY_VERIFY(!browser.isAsking());
        QFile copy(m_dir.filePath("copy.brv2"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), m_freezer.bytes);
        browser.saveButton()->click();
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(m_prompter.messages().size(), 1);
        QVERIFY(m_prompter.messages().at(0).contains(missing));

        // Withdrawn only with a reason, after a question naming the run: cancelled, nothing
        // happens; a blank answer is not taken.
        m_prompter = ScriptedPrompter();
        m_prompter.inputAnswers << std::nullopt << QStringLiteral("  ") << QStringLiteral("Probe was loose");
        browser.withdrawButton()->click();
        QVERIFY(!browser.isAsking());
        QCOMPARE(browser.table()->model()->rowCount(), 4);
        browser.withdrawButton()->click();
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(m_prompter.shown.size(), 2);
        QCOMPARE(m_prompter.shown.at(1).text, archivetext::kWithdrawQuestion.arg(runName(m_freezer)));
        QCOMPARE(browser.table()->model()->rowCount(), 3);
        QCOMPARE(browser.countLabel()->text(), archivetext::kRunCount.arg(3));
        QCOMPARE(rowOf(browser, m_freezer.key), -1);
        QCOMPARE(m_db->bytes(m_freezer.key).value_or(QByteArray()), m_freezer.bytes);
        AuditFilter withdrawals;
        withdrawals.action = action::kWithdraw;
        const auto events = m_db->events(withdrawals).value_or(QList<AuditEvent>());
        QCOMPARE(events.size(), 1);
        QCOMPARE(events.at(0).reason.value_or(QString()), QStringLiteral("Probe was loose"));
        QVERIFY(!browser.withdrawButton()->isEnabled());

        // Shown again, marked, and not offered to withdraw twice.
        browser.showWithdrawnBox()->setChecked(true);
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(browser.table()->model()->rowCount(), 4);
        const int row = rowOf(browser, m_freezer.key);
        QCOMPARE(model->data(model->index(row, int(RunColumn::Status))).toString(),
                 archivetext::kWithdrawnVerdict.arg("OK"));
        browser.table()->selectRow(row);
        QVERIFY(browser.openButton()->isEnabled() && !browser.withdrawButton()->isEnabled());

        // A run taken out behind the program's back since the list was made: told once,
        // nothing opened; and the next opening's check names it.
        browser.table()->selectRow(rowOf(browser, m_lab.key));
        forget(m_lab.key);
        browser.openButton()->click();
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(m_prompter.messages(), QStringList{archivetext::kNoSuchRun.arg(m_lab.key)});
        ArchiveBrowser again(*m_worker, m_prompter);
        QSignalSpy checkedAgain(&again, &ArchiveBrowser::checked);
        QTRY_COMPARE(checkedAgain.size(), 1);
        QCOMPARE(again.checkLabel()->text(),
                 archivetext::kCheckFailed.arg(archivetext::kRunMissing.arg(m_lab.key)));
    }

    // An archive this user may only read: listed and opened as any other, with the note that
    // nothing can be stored, and nothing offered to withdraw.
    void aReadOnlyArchive()
    {
        m_db.reset(); // closed: its log goes back into the file
        const QString file = location().where;
        const auto protect = [&](QFile::Permissions write) {
            QFile::setPermissions(file, QFile::ReadOwner | write);
            QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner | write);
        };
        protect({});
        const auto restore = qScopeGuard([&] { protect(QFile::WriteOwner); });
        if (QFileInfo(file).isWritable())
            QSKIP("this user writes whatever the permissions say (root)");
        ArchiveBrowser browser(*m_worker, m_prompter);
        browser.show();
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(browser.table()->model()->rowCount(), 4);
        QCOMPARE(browser.readOnlyLabel()->text(), archivetext::kReadOnlyNote.arg(file));
        QVERIFY(browser.readOnlyLabel()->isVisible());
        browser.table()->selectRow(rowOf(browser, m_lab.key));
        QVERIFY(browser.openButton()->isEnabled() && browser.saveButton()->isEnabled());
        QVERIFY(!browser.withdrawButton()->isEnabled());
        QSignalSpy opened(&browser, &ArchiveBrowser::runOpened);
        browser.openButton()->click();
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toByteArray(), m_lab.bytes);
        QVERIFY(m_prompter.shown.isEmpty());
    }

    // A slow archive: the dialog is built, shown and filtered while its first question is still
    // at the database. The list asked before the latest is never shown, and a count no longer
    // wanted never reaches the database; the archive's check, asked as the dialog opens, does.
    void aSlowArchiveLeavesTheDialogResponsive()
    {
        QSemaphore atDatabase, answer;
        std::atomic<int> questions = 0;
        BrowseWorker slow(location(), [&] {
            ++questions;
            atDatabase.release();
            answer.tryAcquire(1, 20000); // the test lets it answer; this only ends a failed one
        });
        ArchiveBrowser browser(slow, m_prompter);
        browser.show();
        QCOMPARE(browser.countLabel()->text(), archivetext::kAsking);
        QVERIFY(atDatabase.tryAcquire(1, 20000)); // the unfiltered list
        QSignalSpy shown(browser.table()->model(), &QAbstractItemModel::modelReset);
        QTest::keyClicks(browser.locationEdit(), QStringLiteral("freezer"));
        browser.applyFilter();
        QCOMPARE(browser.countLabel()->text(), archivetext::kAsking);
        answer.release(4);
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(shown.size(), 1);
        QCOMPARE(browser.table()->model()->rowCount(), 2);
        QCOMPARE(browser.countLabel()->text(), archivetext::kRunCount.arg(2));
        QCOMPARE(questions.load(), 4);
    }

    // An archive that cannot be listed is one sentence in the status line, not a box, and the
    // dialog stays usable: asked again, it lists the archive now chosen.
    void anArchiveThatCannotBeListed()
    {
        QFile damaged(m_dir.filePath("damaged.sqlite"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(QByteArray(4096, 'x')) == 4096);
        damaged.close();
        BrowseWorker worker({Location::Kind::SQLite, damaged.fileName()});
        ArchiveBrowser browser(worker, m_prompter);
        browser.show();
        QTRY_VERIFY(!browser.isAsking());
        const QString status = browser.countLabel()->text();
        QVERIFY2(status.startsWith(archivetext::kNotListed.arg(QString())) && status.contains("damaged"),
                 qPrintable(status));
        QVERIFY(m_prompter.shown.isEmpty());
        QCOMPARE(browser.table()->model()->rowCount(), 0);
        worker.relocate(location());
        browser.refresh();
        QTRY_VERIFY(!browser.isAsking());
        QCOMPARE(browser.table()->model()->rowCount(), 4);
    }

    void settings_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::addColumn<QString>("connection");
        QTest::addColumn<bool>("password");
        QTest::addColumn<bool>("kept");
        QTest::newRow("this computer") << false << "" << false << true;
        QTest::newRow("service") << true << "service=loggers" << false << true;
        QTest::newRow("URI with a user") << true << "postgresql://ann@db:5432/loggers" << false << true;
        QTest::newRow("password file named") << true << "host=db passfile=/home/ann/.pgpass" << false << true;
        QTest::newRow("password keyword") << true << "host=db password=secret" << true << false;
        QTest::newRow("password keyword, any case") << true << "host=db PassWord = 'a b'" << true << false;
        QTest::newRow("URI with a secret") << true << "postgresql://ann:secret@db/loggers" << true << false;
        QTest::newRow("URI password parameter") << true << "postgresql://db/x?password=s" << true << false;
        QTest::newRow("password with a quote and a blank") << true << "host=db password='ab\\'cd ef'" << true << false;
        QTest::newRow("URI, '/' in the secret") << true << "postgresql://u:se/cret@host/db" << true << false;
        QTest::newRow("URI, '@' in the secret") << true << "postgresql://u:p@ssw0rd@host/db" << true << false;
        QTest::newRow("URI, '@' in a database name") << true << "postgresql://host/db%40x" << false << true;
        QTest::newRow("shared, nothing typed") << true << "" << false << false;
        QTest::newRow("a folder, not a database") << true << "/srv/archive" << false << false;
    }
    void settings()
    {
        QFETCH(bool, shared);
        QFETCH(QString, connection);
        QFETCH(bool, password);
        QFETCH(bool, kept);
        QCOMPARE(holdsPassword(connection), password);
        const QString before = QStringLiteral("service=before");
        setStoredChoice(before);
        ArchiveSettingsDialog dialog(m_prompter);
        dialog.show();
        QVERIFY(dialog.sharedButton()->isChecked());
        QCOMPARE(dialog.connectionEdit()->text(), before);
        (shared ? dialog.sharedButton() : dialog.thisComputerButton())->click();
        dialog.connectionEdit()->setText(connection);
        dialog.okButton()->click();
        QCOMPARE(dialog.isVisible(), !kept);
        QCOMPARE(m_prompter.messages().size(), kept ? 0 : 1);
        QCOMPARE(storedChoice(), kept ? connection : before);
    }

    // No part of a connection string's secrets is shown: not in the name messages give the
    // archive, not in what a connection that fails says (libpq's own words included), not in
    // the Archive dialog's note on KESTRUN_ARCHIVE; and such a string is refused where it is
    // chosen, with the dialog's own words.
    void secretsAreNeverShown_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QStringList>("secret"); // the secret and its parts
        const QString nowhere = m_dir.filePath("no-server");
        QTest::newRow("keyword") << "host=" + nowhere + " password=s3cr3t-pw dbname=kestrun"
                                 << QStringList{"s3cr3t-pw"};
        QTest::newRow("quoted, with a quote and a blank")
            << "host=" + nowhere + " password='ab\\'cd ef'" << QStringList{"ab'cd", "ab\\'cd", "cd ef"};
        QTest::newRow("URI, '/' in the secret") << "postgresql://u:se/cret@host/db"
                                                << QStringList{"se/cret", "cret"};
        QTest::newRow("URI, '@' in the secret") << "postgresql://u:p@ssw0rd@host/db"
                                                << QStringList{"p@ssw0rd", "ssw0rd"};
        QTest::newRow("URI, encoded, and a key's password")
            << "postgresql://u:p%40ss%2Fw0rd@" + QString::fromLatin1(QUrl::toPercentEncoding(nowhere)) +
                   "/db?sslpassword=k3y-pass"
            << QStringList{"p@ss/w0rd", "p%40ss", "w0rd", "k3y-pass"};
    }
    void secretsAreNeverShown()
    {
        QFETCH(QString, connection);
        QFETCH(QStringList, secret);
        ArchiveDb db({Location::Kind::PostgreSQL, connection});
        QVERIFY(!db.open());
        qputenv(kEnvironment, connection.toUtf8());
        const Location chosen = chosenLocation();
        const ArchiveSettingsDialog dialog(m_prompter);
        const QString note = dialog.environmentNote()->text();
        qunsetenv(kEnvironment);
        QCOMPARE(chosen.refused, refusalOf(connection));
        QVERIFY(!chosen.refused.isEmpty());
        for (const QString &shown : {describe(chosen), db.error(), note, chosen.refused})
            for (const QString &part : secret)
                QVERIFY2(!shown.contains(part), qPrintable(shown));
    }
};

QTEST_MAIN(TestArchiveBrowser)
#include "test_archive_browser.moc"
