#include "tools/bench/figures.h"

#include "archive/archive_db.h"

#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace bench {
namespace {

constexpr int kAppended = 2000;
constexpr int kSynced = 500;

} // namespace

void appendAuditEvents(Stopwatch &sw)
{
    // A fresh archive each run; every event in a transaction of its own, as record() keeps it,
    // so the figure holds the write-ahead log's commit and the look-up of the last event.
    QTemporaryDir dir;
    archive::ArchiveDb db(archive::locationFrom(dir.path()));
    if (!db.open()) {
        sw.fail(db.error());
        return;
    }
    archive::AuditEvent event = archive::newEvent(
        archive::action::kReport, QStringLiteral("0123456789abcdef"),
        {{QStringLiteral("sha256"), QString(64, QLatin1Char('a'))}});
    sw.start();
    for (int i = 0; i < kAppended; ++i) {
        archive::AuditEvent e = event;
        if (!db.record(e)) {
            sw.fail(db.error());
            return;
        }
    }
    sw.stop(kAppended);
}

void syncToDisk(Stopwatch &sw)
{
    // What one commit that survives a power cut costs at the least on this disk: a page
    // written and flushed, in the folder the append's archive is made in. Read beside the
    // append's figure: what the append takes beyond it is the program's.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("sync")));
    if (!file.open(QIODevice::WriteOnly)) {
        sw.fail(file.errorString());
        return;
    }
    const QByteArray page(4096, 'x');
    sw.start();
    for (int i = 0; i < kSynced; ++i) {
        if (file.write(page) != page.size() || !file.flush() || ::fdatasync(file.handle()) != 0) {
            sw.fail(QStringLiteral("the disk did not take the page"));
            return;
        }
    }
    sw.stop(kSynced);
}

} // namespace bench
