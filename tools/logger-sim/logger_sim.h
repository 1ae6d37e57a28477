#pragma once

#include "tools/logger-sim/logger_core.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace loggersim {

// A logger on a pseudo-terminal. The program opens slavePath() (or the link made with
// createLink()) like any serial port; the simulator reads frames on the master side and answers
// them, paced like the logger's 1200-baud line unless told otherwise.
//
//   LoggerSim sim;
//   sim.state().model = model::RV210;   // set up the logger directly ...
//   sim.core().fillHistory(200);
//   sim.setPace(0);                     // ... answer as fast as the pty takes it
//   sim.faults().silentFrames = 2;      // ... and misbehave if wanted
//   sim.open();                         // then point the program at sim.slavePath()
class LoggerSim : public QObject
{
    Q_OBJECT
public:
    static constexpr int kLinePace = 120; // bytes per second at 1200 baud, 10 bits a byte

    explicit LoggerSim(QObject *parent = nullptr);
    ~LoggerSim() override;

    // Creates the pseudo-terminal. The slave side stays open here too, so the program can close
    // and reopen its port without the line hanging up.
    bool open(QString *error = nullptr);
    // Closes the pseudo-terminal (the program's port sees the line drop) and removes the link.
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // A symbolic link at `path` to the slave device, replaced when the pty is reopened and
    // removed by close(). An existing file that is not a link is left alone (false).
    bool createLink(const QString &path, QString *error = nullptr);
    QString linkPath() const { return m_linkPath; }

    LoggerCore &core() { return m_core; }
    LoggerState &state() { return m_core.state(); }
    Faults &faults() { return m_core.faults(); }
    ReadingSource &readings() { return m_core.readings(); }

    // Bytes per second sent; 0 sends every reply as fast as the pty accepts it.
    void setPace(int bytesPerSecond);
    int pace() const { return m_pace; }
    // Logger seconds per real second (60: an hour of logging a minute); 0 stops the clock, which
    // then moves only by advanceClock().
    void setSpeed(double factor);
    double speed() const { return m_speed; }
    void advanceClock(qint64 seconds);

    bool isSending() const { return !m_queue.isEmpty(); }
    qint64 bytesSent() const { return m_bytesSent; }

Q_SIGNALS:
    void frameReceived(const QByteArray &frame, loggersim::ReplyKind reply);
    void replySent(loggersim::ReplyKind reply); // the last byte of a reply has been written
    void stateChanged();
    void hungUp(); // the line was dropped by the hang-up fault

private:
    struct Piece
    {
        QByteArray bytes;
        int pauseBeforeMs = 0;
    };

    void onReadable();
    void onClockTick();
    void syncClock();
    void startReply(const Exchange &ex);
    void pump();
    void hangUpWhenDrained(QDeadlineTimer deadline);
    void hangUp();
    void stopSending();
    void removeLink();

    LoggerCore m_core;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;

    int m_pace = kLinePace;
    double m_speed = 1.0;
    QElapsedTimer m_clockWatch;
    double m_msCarry = 0.0;
    QTimer m_clockTimer;

    QElapsedTimer m_lastInput;

    QList<Piece> m_queue;
    ReplyKind m_sendingKind = ReplyKind::None;
    bool m_hangUpWhenSent = false;
    qsizetype m_pieceSent = 0;
    qint64 m_pacedSent = 0;
    QElapsedTimer m_paceWatch;
    QTimer m_paceTimer;
    QTimer m_pauseTimer;
    qint64 m_bytesSent = 0;
};

} // namespace loggersim
