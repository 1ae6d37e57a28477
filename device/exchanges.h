#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class SerialLink;

// The three ways the program waits for a logger's reply. Each is a state machine driven by one
// single-shot QTimer: send a frame, let the timer fire, look at the number of bytes waiting.
// The timer handler onTimer() is an ordinary public method, so a test can put bytes into a fake
// link and call it directly instead of waiting.
//
// Sending always discards the receive buffer first, so bytes that arrive too late for one poll
// are dropped with the next send.
class Exchange : public QObject
{
    Q_OBJECT
public:
    Exchange(SerialLink *link, int intervalMs, QObject *parent = nullptr);

    // Sends `frame` and starts waiting; the retry count starts at 0.
    void start(const QByteArray &frame);
    // Stops waiting; nothing more is sent and no signal follows.
    void cancel();
    bool isRunning() const { return m_running; }
    // Unsuccessful polls (RetryCnt) and frames written so far in this exchange.
    int retryCount() const { return m_retry; }
    int sends() const { return m_sends; }
    // Why the exchange failed ("no valid reply to 5 requests: the last brought 3 bytes, 40
    // wanted");
    // empty until it fails.
    const QString &failureReason() const { return m_reason; }
    QTimer &timer() { return m_timer; }
    QByteArray frame() const { return m_frame; }

    // The timer's handler.
    virtual void onTimer() = 0;

protected:
    void send();
    void finish();
    // Ends the exchange as failed, keeping why.
    void fail(const QString &reason);
    QString noReply(const QString &lastPoll) const;

    SerialLink *m_link;
    QTimer m_timer;
    QByteArray m_frame;
    int m_retry = 0;
    int m_sends = 0;
    bool m_running = false;
    QString m_reason;
};

// Style A: poll with resend. When the timer fires the bytes waiting are taken; a count that meets
// the threshold is a reply, otherwise the frame is sent again, at most `maxSends` times in all.
class PollExchange final : public Exchange
{
    Q_OBJECT
public:
    enum class Rule { AtLeast, Exactly };
    PollExchange(SerialLink *link, int intervalMs, Rule rule, int threshold, int maxSends = 5,
                 QObject *parent = nullptr);
    void onTimer() override;

Q_SIGNALS:
    void replied(const QByteArray &reply);
    void failed(); // no reply after maxSends sends

private:
    Rule m_rule;
    int m_threshold;
    int m_maxSends;
};

// Style B: poll of an acknowledgement. Only exactly nine waiting bytes are taken and tested;
// anything else is a failed attempt and the frame is sent again. `maxSends` 0 means no limit
// (the frame repeats until acknowledged or cancelled).
class AckPollExchange final : public Exchange
{
    Q_OBJECT
public:
    AckPollExchange(SerialLink *link, int intervalMs, int maxSends, QObject *parent = nullptr);
    void onTimer() override;

Q_SIGNALS:
    void acknowledged();
    void retrying(int attempt); // a failed attempt; the same frame has been sent again
    void failed();              // maxSends reached without acknowledgement

private:
    int m_maxSends;
};

// Style C: wait, then judge. Every attempt waits the full interval, whatever arrives meanwhile.
// At least nine bytes are judged at once (acknowledgement or failure, no further tries); fewer
// count as no reply, and after five sends in all the exchange fails.
class WaitExchange final : public Exchange
{
    Q_OBJECT
public:
    explicit WaitExchange(SerialLink *link, int intervalMs = 2000, int maxSends = 5,
                          QObject *parent = nullptr);
    void onTimer() override;

Q_SIGNALS:
    void acknowledged();
    void failed(); // no reply after maxSends, or a reply that is not an acknowledgement

private:
    int m_maxSends;
};
