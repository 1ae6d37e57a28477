#include "tools/bench/figures.h"

#include "archive/archive_db.h"

#include <QTemporaryDir>

namespace bench {
namespace {

constexpr int kAppended = 2000;

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

} // namespace bench
