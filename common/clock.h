#pragma once

#include <QDateTime>

// "Now" for everything that stamps or prefills with the PC's time, so tests can fix the time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // The clock the program uses; the system clock unless a test installed another.
    static const Clock &current();
    // Installs `c` (not owned) as the current clock; nullptr restores the system clock.
    static void install(const Clock *c);
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that shows a set time and moves only when told.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(const QDateTime &t = {}) : m_now(t) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &t) { m_now = t; }
    void advanceSecs(qint64 s) { m_now = m_now.addSecs(s); }

private:
    QDateTime m_now;
};
