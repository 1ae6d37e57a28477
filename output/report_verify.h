#pragma once

#include <QString>

namespace archive {
class ArchiveDb;
}

// A report checked on its own: the run's bytes it carries against the SHA-256 and key it
// states, the figures it states against the summary of those bytes under the limits it states,
// and, when the archive can be reached, the run and its signatures against the archive and its
// trail. A run withdrawn from the archive fails: a report of it no longer speaks for the goods.
namespace report {

struct Verification
{
    bool ok = false;
    // "verified: ..." when ok; otherwise the first mismatch, or why the PDF is no report.
    QString line;
};

// `db`: the archive to check against; nullptr not to. An archive that cannot be reached is
// named in the line and checks nothing.
Verification verifyReport(const QString &path, archive::ArchiveDb *db);

} // namespace report
