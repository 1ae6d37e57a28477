#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class Prompter;
class ReadingSet;
class SerialLink;

// The data window's live readings: after the main window has sent the parameter request, the
// parameter reply is checked (TimerRTC, 500 ms, up to 5 requests), then the logger is asked
// for its present reading every interval ("R","T"; TimerRTC1 counts down in seconds, TimerRTC2
// waits 1 s for the reply, up to 5 requests) and each reading is appended to the table, stamped
// with the PC's date and time.
// Timer handlers are public so tests can drive the cycle without waiting.
class LiveReadings : public QObject
{
    Q_OBJECT
public:
    // `intervalSeconds` reads the interval the user picked; it is asked again after every
    // reading.
    LiveReadings(SerialLink &link, ReadingSet &set, Prompter &prompter,
                 std::function<int()> intervalSeconds, QObject *parent = nullptr);

    // The interval of a run, in seconds. The countdown sends the next request on the tick that
    // takes it past 1, so a run needs at least two seconds; the longest choice is a day.
    static constexpr int kMinIntervalSeconds = 2;
    static constexpr int kMaxIntervalSeconds = 86400;

    int LiveRowNo = 0;
    int RTCinter = 0;
    int Loop_Cntr = 0;

    // "Start Reading": sends the parameter request, then waits for its reply (start()).
    void begin();
    // The request has been sent already: wait for its reply.
    void start();
    // Stops every timer of the run.
    void stop();
    bool isRunning() const;
    // Why the last run failed ("the reading reply brought 7 bytes, 8 wanted"); empty when the
    // message says it all.
    const QString &failureReason() const { return m_reason; }

    QTimer &TimerRTC() { return m_rtc; }
    QTimer &TimerRTC1() { return m_rtc1; }
    QTimer &TimerRTC2() { return m_rtc2; }

    void onTimerRTC();
    void onTimerRTC1();
    void onTimerRTC2();

    // The reply length for a model code: 10 bytes for the humidity models, else 8.
    static int replyLength(int model);

Q_SIGNALS:
    // The header captions and the model are known (after the parameter reply).
    void headerReady();
    // A reading was appended as this table row.
    void rowAdded(int row);
    // The run stopped on a failure (already reported to the user).
    void failed();

private:
    void sendParameterRequest();
    void sendReadingRequest();
    void fail(const QString &text, const QString &title, const QString &reason = QString());
    void appendReading(const QByteArray &reply);
    QString replyLengthReason(qint64 count) const;
    void onLinkLost();

    SerialLink &m_link;
    ReadingSet &m_set;
    Prompter &m_prompter;
    std::function<int()> m_interval;
    QTimer m_rtc;
    QTimer m_rtc1;
    QTimer m_rtc2;
    bool m_active = false; // from start() to stop(), also while a timer handler runs
    int m_run = 0;         // counts stops: a handler that sees it change was stopped meanwhile
    QString m_reason;
};
