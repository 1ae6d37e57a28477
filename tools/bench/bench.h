#pragma once

#include <QElapsedTimer>
#include <QString>

#include <span>

// kestrun-bench: one line per figure, the median of several runs against its target.
//
// A figure is a function called once per run. It prepares its input untimed, then wraps the
// work it measures in start() / stop(). A figure that fails (wrong outcome, unreadable file)
// says so with fail(); the program then reports it and exits non-zero.
namespace bench {

class Stopwatch
{
public:
    void start() { m_clock.start(); }
    // Ends a timed stretch; `items` > 1 makes the figure a time per item (per row, per cell).
    void stop(qint64 items = 1)
    {
        m_seconds += double(m_clock.nsecsElapsed()) * 1e-9 / double(items);
        m_timed = true;
    }
    // Time inside the timed stretch that the figure does not count (a download's line time).
    void discount(double seconds) { m_seconds -= seconds; }
    // A figure that is not one stretch of work (the longest the window went without painting)
    // gives its value directly: in seconds, or in bytes for a figure in megabytes.
    void record(double value)
    {
        m_seconds += value;
        m_timed = true;
    }
    void fail(const QString &why) { m_failure = why; }

    double seconds() const { return m_seconds; }
    bool timed() const { return m_timed; }
    const QString &failure() const { return m_failure; }

private:
    QElapsedTimer m_clock;
    double m_seconds = 0;
    bool m_timed = false;
    QString m_failure;
};

// Ratio: a figure measured against another program's time in the same run (x times as long).
enum class Unit { Microseconds, Milliseconds, Seconds, Megabytes, Ratio };

// Which runs include a figure: the default run, or only when asked for by its switch.
enum class Group { Default, Download, DownloadFast, Huge, Verify };

struct Figure
{
    const char *name;
    Unit unit;
    double target; // in `unit`
    int runs;      // runs whose median is the figure (one more untimed run warms up first)
    Group group;
    void (*run)(Stopwatch &);
    const char *what; // one line for --list
};

// The table of every figure (figures.cpp).
std::span<const Figure> figures();

} // namespace bench
