#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "archive/archive_browser.h"
#include "archive/archive_db.h"
#include "archive/record_of_run.h"
#include "run/run_document.h"
#include "archive/run_table_model.h"
#include "common/prompter.h"
#include "datafile/set_io.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>

namespace bench {

namespace {

constexpr int kListedRuns = 10000;

struct Listed
{
    QTemporaryDir dir;
    std::unique_ptr<archive::ArchiveDb> db;
};
std::unique_ptr<Listed> g_listed;

// An archive of 10,000 small runs of 50 loggers in 10 places, made once and closed with the
// application. Listing never reads a run's bytes, so their size does not matter here.
archive::ArchiveDb *listedArchive(Stopwatch &sw)
{
    if (g_listed)
        return g_listed->db.get();
    g_listed = std::make_unique<Listed>();
    qAddPostRoutine([] { g_listed.reset(); });
    auto &db = g_listed->db;
    db = std::make_unique<archive::ArchiveDb>(archive::locationFrom(g_listed->dir.path()));
    if (!db->open()) {
        sw.fail(db->error());
        return nullptr;
    }
    QSqlQuery(db->database()).exec(QStringLiteral("PRAGMA synchronous=OFF")); // setup only
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < kListedRuns; ++i) {
        archive::RunRecord r;
        archive::setBytes(r, QByteArray::number(i));
        r.model = 1;
        r.serial = i % 50;
        r.location = QStringLiteral("Freezer %1").arg(i % 10);
        r.readings = 2880;
        r.first = start.addSecs(qint64(i) * 3600);
        r.last = r.first.addDays(10);
        r.storedAt = r.last.addSecs(60);
        if (db->store(r) != archive::ArchiveDb::Stored::Added) {
            sw.fail(db->error());
            return nullptr;
        }
    }
    return db.get();
}

} // namespace

void storeFullMemoryRun(Stopwatch &sw)
{
    // An archive that exists already, as it does from the second run of the program on.
    static std::unique_ptr<Listed> kept;
    if (!kept) {
        kept = std::make_unique<Listed>();
        qAddPostRoutine([] { kept.reset(); });
        kept->db = std::make_unique<archive::ArchiveDb>(archive::locationFrom(kept->dir.path()));
    }
    archive::ArchiveDb &db = *kept->db;
    if (!db.open()) {
        sw.fail(db.error());
        return;
    }
    // Read as a download is: the document's summary and file bytes are worked out when the
    // record asks for them.
    auto doc = std::make_unique<RunDocument>();
    doc->takeDownload(fullMemoryImage(kTemperatureModel), kTemperatureModel);

    sw.start();
    const archive::RunRecord run = archive::recordOf(*doc);
    const auto stored = db.store(run);
    sw.stop();

    if (stored != archive::ArchiveDb::Stored::Added)
        sw.fail(db.error());
    db.remove(run.key); // the next run stores it anew
}

void listFilteredRuns(Stopwatch &sw)
{
    archive::ArchiveDb *db = listedArchive(sw);
    if (!db)
        return;
    archive::RunFilter filter;
    filter.location = QStringLiteral("freezer 3");

    sw.start();
    const auto runs = db->list(filter);
    sw.stop();

    if (!runs || runs->size() != kListedRuns / 10)
        sw.fail(QStringLiteral("listed %1 runs, not %2").arg(runs ? runs->size() : -1).arg(kListedRuns / 10));
}

void openRunTable(Stopwatch &sw)
{
    archive::ArchiveDb *db = listedArchive(sw);
    if (!db)
        return;

    sw.start();
    archive::RunTableModel model(*db);
    QString shown;
    for (int r = 0; r < 40 && r < model.rowCount(); ++r)
        for (int c = 0; c < archive::kRunColumnCount; ++c)
            shown += model.data(model.index(r, c)).toString();
    sw.stop();

    if (model.rowCount() == 0 || shown.isEmpty())
        sw.fail(QStringLiteral("the table stayed empty: %1").arg(model.errorText()));
}

void openArchiveDialog(Stopwatch &sw)
{
    archive::ArchiveDb *db = listedArchive(sw);
    if (!db)
        return;
    ScriptedPrompter prompter;

    sw.start();
    ArchiveBrowser browser(*db, prompter);
    browser.show();
    // Painted once, as the screen shows it: the visible rows' texts and the count.
    const QPixmap shown = browser.grab();
    sw.stop();

    if (browser.table()->model()->rowCount() == 0 || shown.isNull())
        sw.fail(QStringLiteral("the dialog's table stayed empty"));
}

} // namespace bench
