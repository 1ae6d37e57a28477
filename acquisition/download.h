#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class Prompter;
class SerialLink;

// Read_data's conversation with the logger, as a state machine on single-shot timers:
//  - parameter stage: "R","P", a 2 s wait, at least 19 bytes, up to 5 requests;
//  - memory stage: "R","R", then 3 s wait periods until one brings no byte (the port is drained
//    into the receive buffer whenever more than 10000 bytes wait), then the checks: "END",
//    length at least the expected data + 46, an even data length, and the 24-bit checksum.
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
    // Frames written in this download (for tests and diagnostics).
    int requests() const { return m_requests; }
    // Why the last reply was refused ("the image's checksum is 0x01A2B3, its trailer says
    // 0x01A2B4"); empty while every reply was sound.
    const QString &failureReason() const { return m_reason; }

    QTimer &TmrData() { return m_wait; }
    QTimer &TmrLbl() { return m_label; }
    QTimer &progressTimer() { return m_progressTimer; }

    void onWaitTimer();     // TmrData fired: one wait is over
    void onLabelTimer();    // TmrLbl fired: time to show the progress display
    void onProgressTimer(); // keeps the bar moving while a wait runs

Q_SIGNALS:
    void labelShown();
    void progress(int value);
    void finished(Downloader::Outcome outcome);

private:
    enum class Stage { Idle, Parameters, Memory };
    void sendHeadRequest();
    void sendBlockRequest();
    void waitFor(int ms);
    void memoryWaitOver();
    void failedAttempt(const QString &reason);
    void finish(Outcome o);
    void onLinkLost();

    SerialLink &m_link;
    QTimer m_wait;
    QTimer m_label;
    QTimer m_progressTimer;
    Stage m_stage = Stage::Idle;
    QByteArray m_buf;
    QByteArray m_image;
    qint64 m_previous = 0;
    int m_loops = 0;
    int m_model = 0;
    int m_expected = 0;
    int m_requests = 0;
    int m_lastProgress = -1;
    QString m_reason;
};
