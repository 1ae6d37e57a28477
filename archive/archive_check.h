#pragma once

#include <QString>

// What the archive's check of itself found: how many runs and events it went through, and the
// first that did not hold (empty when all did). Nothing it finds is ever repaired.
namespace archive {

struct ArchiveCheck
{
    qint64 runs = 0;   // runs whose bytes held, up to the first that did not
    qint64 events = 0; // events that followed the one before, likewise
    QString problem;   // the first break, for the user

    bool ok() const { return problem.isEmpty(); }
};

} // namespace archive
