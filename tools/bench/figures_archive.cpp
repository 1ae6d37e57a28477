#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "archive/archive_browser.h"
#include "archive/archive_db.h"
#include "archive/archive_texts.h"
#include "archive/browse_worker.h"
#include "archive/record_of_run.h"
#include "run/run_document.h"
#include "archive/run_table_model.h"
#include "common/prompter.h"
#include "datafile/set_io.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

namespace bench {

namespace {

constexpr int kListedRuns = 10000;
// A shared database across a site's network, as the slow figure plays it.
constexpr unsigned long kRoundTripMs = 200;

struct Listed
{
    QTemporaryDir dir;
    std::unique_ptr<archive::ArchiveDb> db;
    // Kept between runs as the window keeps it; the untimed first run connects it.
    std::unique_ptr<archive::BrowseWorker> worker;
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
    g_listed->worker = std::make_unique<archive::BrowseWorker>(db->location());
    return db.get();
}

// Lets the event loop run until `done` holds, looking again at each `signal` of `sender`: the
// worker's answers come through the loop. False when it does not hold within a minute.
template <typename Sender, typename Signal>
bool waitUntil(const std::function<bool()> &done, const Sender *sender, Signal signal)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

bool settle(const ArchiveBrowser &browser)
{
    return waitUntil([&] { return !browser.isAsking(); }, &browser, &ArchiveBrowser::settled);
}

// Calls `seen` at every event of one type `object` receives, just before it is handled.
class EventWatch : public QObject
{
public:
    EventWatch(QObject *object, QEvent::Type type, std::function<void()> seen)
        : m_object(object), m_type(type), m_seen(std::move(seen))
    {
        m_object->installEventFilter(this);
    }
    ~EventWatch() override { m_object->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_object && event->type() == m_type)
            m_seen();
        return false;
    }

private:
    QObject *m_object;
    QEvent::Type m_type;
    std::function<void()> m_seen;
};

// Lets the event loop run until `window` has painted what changed last (its widgets are
// painted together, in the handling of the window's update request): what the screen shows.
bool repainted(QWidget *window)
{
    QEventLoop loop;
    const EventWatch watch(window, QEvent::UpdateRequest, [&] { loop.quit(); });
    QTimer::singleShot(60000, &loop, [&] { loop.exit(1); });
    return loop.exec() == 0;
}

// The longest time between two paints of a widget, from the moment it is made.
class PaintGaps
{
public:
    explicit PaintGaps(QWidget *widget) : m_watch(widget, QEvent::Paint, [this] { painted(); })
    {
        m_clock.start();
    }
    double longestSeconds() const { return double(m_longest) * 1e-9; }
    int paints() const { return m_paints; }

private:
    void painted()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
        ++m_paints;
    }

    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_paints = 0;
    const EventWatch m_watch;
};

// Takes a run out of the archive behind the program's back, which never deletes one: its
// rows and its store event, the last of the trail, so the chain stays whole.
void forget(archive::ArchiveDb &db, const QString &key)
{
    for (const char *table : {"judgements", "run_bytes", "runs", "audit_events"}) {
        QSqlQuery q(db.database());
        q.prepare(QStringLiteral("DELETE FROM %1 WHERE run_key = ?").arg(QLatin1String(table)));
        q.addBindValue(key);
        q.exec();
    }
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
    forget(db, run.key); // the next run stores it anew
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
    if (!listedArchive(sw))
        return;
    archive::BrowseWorker &worker = *g_listed->worker;

    sw.start();
    archive::RunTableModel model(worker);
    const bool listed = waitUntil([&] { return !model.isAsking(); }, &model,
                                  &archive::RunTableModel::listed);
    QString shown;
    for (int r = 0; r < 40 && r < model.rowCount(); ++r)
        for (int c = 0; c < archive::kRunColumnCount; ++c)
            shown += model.data(model.index(r, c)).toString();
    sw.stop();

    if (!listed || model.rowCount() == 0 || shown.isEmpty())
        sw.fail(QStringLiteral("the table stayed empty: %1").arg(model.errorText()));
}

void openArchiveDialog(Stopwatch &sw)
{
    if (!listedArchive(sw))
        return;
    ScriptedPrompter prompter;

    sw.start();
    ArchiveBrowser browser(*g_listed->worker, prompter);
    browser.show();
    // Until the screen shows the archive's answers, the visible rows' texts and the count,
    // with the paint of the dialog shown meanwhile.
    const bool answered = settle(browser) && repainted(&browser);
    sw.stop();

    if (!answered || browser.table()->model()->rowCount() == 0 || browser.grab().isNull())
        sw.fail(QStringLiteral("the dialog's table stayed empty"));
}

void paintWhileAsking(Stopwatch &sw)
{
    archive::ArchiveDb *db = listedArchive(sw);
    if (!db)
        return;
    archive::BrowseWorker slow(db->location(), [] { QThread::msleep(kRoundTripMs); });
    ScriptedPrompter prompter;
    ArchiveBrowser browser(slow, prompter);
    browser.show();
    if (!settle(browser)) {
        sw.fail(QStringLiteral("the dialog got no answer"));
        return;
    }
    // A repaint asked for at every frame, as an animation would; each must come in its time.
    QWidget *viewport = browser.table()->viewport();
    QTimer frames;
    frames.setInterval(16);
    QObject::connect(&frames, &QTimer::timeout, viewport, qOverload<>(&QWidget::update));

    frames.start();
    PaintGaps gaps(viewport);
    browser.locationEdit()->setText(QStringLiteral("freezer 3")); // the pause, then two questions
    const bool answered = waitUntil([&] { return !browser.isAsking() && !browser.pauseTimer().isActive(); },
                                    &browser, &ArchiveBrowser::settled);
    frames.stop();
    sw.record(gaps.longestSeconds());

    const QString count = archivetext::kRunCount.arg(kListedRuns / 10);
    if (!answered || browser.countLabel()->text() != count)
        sw.fail(QStringLiteral("the filter gave \"%1\", not \"%2\"").arg(browser.countLabel()->text(), count));
    else if (gaps.paints() < 10)
        sw.fail(QStringLiteral("the dialog painted %1 times while it asked").arg(gaps.paints()));
}

} // namespace bench
