#pragma once

#include "acquisition/time_left.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class Prompter;
class SerialLink;

// Read_data's conversation with the logger, as a state machine on single-shot timers:
//  - parameter stage: "R","P", then at least 19 bytes within a 2 s wait, up to 5 requests. A
//    whole 40-byte block ends the stage early, once the line has been quiet for a short guard.
//  - memory stage: "R","R", then 3 s wait periods until one brings no byte (the port is drained
//    into the receive buffer whenever more than 10000 bytes wait), then the checks: "END",
//    length at least the expected data + 46, an even data length, and the 24-bit checksum.
//    The line is watched while the image comes in: once the bytes received pass every check
//    and the guard has gone by quietly the stage is over, without waiting for the silence.
//    A reply that fails any of them (or would overflow the receive buffer) is asked for again,
//    up to 5 requests in all.
// Nothing here touches a window: the data window shows the progress and the outcome.
// The timer handlers are public so tests can drive the machine without waiting.
class Downloader : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { Done, NotEnabled, NotResponding };
    static constexpr int kProgressMax = 100;

    explicit Downloader(SerialLink &link, QObject *parent = nullptr);

    void start();
    void cancel();

    // Tells the user why a download brought no set to show; nothing for Done.
    static void report(Outcome outcome, Prompter &prompter);
    bool isRunning() const { return m_stage != Stage::Idle; }

    // After Done or NotEnabled: the image, the model code of the parameter reply and the
    // expected data byte count.
    const QByteArray &image() const { return m_image; }
    int model() const { return m_model; }
    int expected() const { return m_expected; }
    int Loop_Cntr() const { return m_loops; }
    // Frames written in this download, and waits that ran their whole length (a download whose
    // replies come complete runs none); for tests and diagnostics.
    int requests() const { return m_requests; }
    int waitsRunOut() const { return m_waitsRunOut; }
    // The logger's clock against the computer's, as the parameter reply found it (logger
    // minus computer, seconds, within ±12 hours); nullopt before it, or when the reply's clock
    // did not read as a time of day.
    std::optional<qint64> clockOffset() const { return m_clockOffset; }
    // The computer's clock the offset is taken against (tests pin it).
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    // Why the last reply was refused ("the image's checksum is 0x01A2B3, its trailer says
    // 0x01A2B4"); empty while every reply was sound.
    const QString &failureReason() const { return m_reason; }

    QTimer &TmrData() { return m_wait; }
    QTimer &TmrLbl() { return m_label; }
    QTimer &pollTimer() { return m_poll; }
    QTimer &guardTimer() { return m_guard; }

    void onWaitTimer();  // TmrData fired: one wait is over
    void onLabelTimer(); // TmrLbl fired: time to show the progress display
    void onPollTimer();  // looks at the line while a reply comes in
    void onGuardTimer(); // a complete reply has been followed by a quiet guard

Q_SIGNALS:
    void labelShown();
    void progress(int value);
    // Whole seconds the image still needs at the rate seen, or TimeLeft::kUnknown.
    void timeLeft(int seconds);
    void finished(Downloader::Outcome outcome);

private:
    enum class Stage { Idle, Parameters, Memory };
    void sendHeadRequest();
    void sendBlockRequest();
    void forgetReply();
    void waitFor(int ms);
    void parameterWaitOver();
    void memoryWaitOver();
    bool takeInput();
    void judgeImage();
    void showProgress(qint64 have);
    void failedAttempt(const QString &reason);
    void finish(Outcome o);
    void onLinkLost();

    SerialLink &m_link;
    QTimer m_wait;
    QTimer m_label;
    QTimer m_poll;
    QTimer m_guard;
    Stage m_stage = Stage::Idle;
    QByteArray m_buf;
    QByteArray m_image;
    qint64 m_periodTotal = 0; // bytes received when the last wait period ended
    qint64 m_seen = 0;        // bytes received when the line was last looked at
    int m_loops = 0;
    int m_model = 0;
    int m_expected = 0;
    int m_requests = 0;
    int m_waitsRunOut = 0;
    int m_lastProgress = -1;
    int m_lastTimeLeft = TimeLeft::kUnknown;
    TimeLeft m_timeLeft;
    QElapsedTimer m_clock;
    QString m_reason;
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
    // When the parameter reply's last byte was seen, and what its clock said against it.
    QDateTime m_replyAt;
    std::optional<qint64> m_clockOffset;
};
