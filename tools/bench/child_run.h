#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// Another program run for a figure: its wall time and the most memory it held.
//
// The peak is the child's ru_maxrss as wait4() reports it. Linux counts in it the memory of the
// process the child was started from (its address space until exec), so the bench, large after
// its other figures, does not start the program itself: it starts itself again as a small
// helper (kPeakOf, before any of Qt is set up), and the helper starts the program and reports
// its peak and wall time.
namespace bench {

inline constexpr char kPeakOf[] = "--peak-of";

struct ChildRun
{
    bool ok = false;         // it ran and exited with status 0
    double seconds = 0;      // wall time from start to exit
    double peakBytes = 0;    // ru_maxrss
    QString error;           // why not ok
};

// Runs `program` with `arguments` and the environment changed by `environment` (name, value),
// its standard output and error thrown away.
ChildRun runMeasured(const QString &program, const QStringList &arguments,
                     const std::vector<std::pair<QByteArray, QByteArray>> &environment);

// The helper's side: runs argv[0] with the rest as its arguments and prints
// "<exit status> <peak kB> <seconds>"; the return value is 0 unless nothing could be started.
int reportPeakOf(char **argv);

} // namespace bench
