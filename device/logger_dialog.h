#pragma once

#include "device/command_frame.h"
#include "device/device_host.h"
#include "device/device_results.h"
#include "device/exchanges.h"

#include <QObject>

#include <optional>

// What the two dialogs that talk to a logger on their own (Device Details and Start Device)
// share, without a window: the command buffer, the parameter request (exactly 40 bytes, once a
// second, five sends), the step sender that repeats a frame every second until the logger
// acknowledges it, the busy pointer, the reaction to a lost line and the closing.
class LoggerDialog : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimerParaMs = 1000;
    static constexpr int kSendTimerMs = 1000;
    static constexpr int kReplyLength = 40;
    static constexpr int kRequestSends = 5;

    // Closing the dialog: nothing more is sent, the pointers are normal again and the device
    // commands enabled. Safe to call more than once.
    void close();

    bool busy() const { return m_busy.isSet(); }
    bool isClosed() const { return m_closed; }
    // Why the last request or run of the dialog failed; nullopt while nothing has gone wrong.
    const std::optional<DeviceError> &error() const { return m_error; }

    // Dialog state.
    CommandBuffer &CmdBuf() { return m_cmdBuf; }
    int RetryCnt() const { return m_timerPara.retryCount(); }
    PollExchange &TimerPara() { return m_timerPara; }
    AckPollExchange &SendTimer() { return m_sendTimer; }

Q_SIGNALS:
    // Something the dialog shows has changed.
    void changed();
    // A request or a run has failed; error() says why.
    void failed(const DeviceError &error);

protected:
    explicit LoggerDialog(DeviceHost &host, QObject *parent = nullptr);

    // The exchanges' outcomes, for the dialog to act on.
    virtual void onParameters(const QByteArray &reply) = 0;
    // No parameter block after five requests. The pointer is normal again already; the dialog
    // says so (see reportNoAnswer) and shows what is left to do.
    virtual void onNoParameters() = 0;
    virtual void onAcknowledged() = 0;
    // The line dropped; both exchanges have ended and the pointer is normal again.
    // `wasWaiting`: a request or a step was still waiting for the logger; `reason` is the
    // system's. The main window reports the loss itself.
    virtual void onLinkLost(bool wasWaiting, const QString &reason) = 0;
    // What the dialog resets of its own when it closes.
    virtual void onClosing() {}

    // The parameter request went unanswered: "Not responding" in a warning box, unless the
    // port went away meanwhile (the main window has reported that already), then failed().
    void reportNoAnswer();
    // Keeps why the dialog failed and says so (failed()).
    void fail(const DeviceError &error);
    void clearError() { m_error.reset(); }
    void setBusy(bool busy) { m_busy.set(busy); }

    DeviceHost &m_host;
    CommandBuffer m_cmdBuf;
    PollExchange m_timerPara;
    AckPollExchange m_sendTimer;
    bool m_closed = false;

private:
    void linkLost(const QString &reason);

    BusyShare m_busy{m_host};
    std::optional<DeviceError> m_error;
};
