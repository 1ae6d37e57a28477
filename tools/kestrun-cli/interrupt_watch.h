#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl-C (SIGINT) and SIGTERM into a signal of the event loop, so a live run can stop
// its timers, close the port and end normally instead of being killed mid-line. Only one
// watch may exist at a time; while it exists the default handlers are replaced.
class InterruptWatch : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatch(QObject *parent = nullptr);
    ~InterruptWatch() override;

Q_SIGNALS:
    void interrupted();

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
};
