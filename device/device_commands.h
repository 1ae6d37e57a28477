#pragma once

#include "common/prompter.h"
#include "device/command_frame.h"
#include "device/device_host.h"
#include "device/device_results.h"
#include "device/exchanges.h"

#include <QObject>

#include <optional>

// The main window's device commands that need no dialog of their own: Device Time, Stop Device
// and Clear & Stop Device. They talk through the main window (its port, its enabling of the
// device commands, its busy pointer and its message boxes) and own what the main window keeps
// for its own exchanges: the frame buffer CmdBuf, the retry count and the three waits
//   TimerPara  500 ms, poll with resend, a parameter block of 19 bytes or more, 5 sends;
//   TimerStop 1000 ms, acknowledgement of exactly nine bytes, 4 sends;
//   TmrData   2000 ms, full wait then judge nine bytes or more, 5 sends per step.
// Every command tests the port first and, once it has sent something, ends with exactly one
// message and the device commands enabled again. The outcome is kept as values (the clock
// read, or why the command failed); the message is made from them. Nothing here waits inside a
// nested event loop: the erase returns to the event loop between its 2-second waits, so the window
// stays responsive while the commands stay disabled.
class DeviceCommands : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimerParaMs = 500;
    static constexpr int kTimerStopMs = 1000;
    static constexpr int kTmrDataMs = 2000;
    static constexpr int kClockThreshold = 19;
    static constexpr int kClockSends = 5;
    static constexpr int kStopSends = 4;
    static constexpr int kEraseSendsPerStep = 5;

    // Which half of Clear & Stop is waiting.
    enum class EraseStep { None, Erase, Stop };

    explicit DeviceCommands(DeviceHost &host, QObject *parent = nullptr);

    // Reads the logger's clock and shows it (or that the logger is stopped).
    void Device_Time();
    // Asks before stopping; only Yes goes on to Stop_Device.
    void Confirm_Stop();
    // Stops the logger without asking.
    void Stop_Device();
    // Asks, then erases the stored readings ("A","L") and stops the logger ("A","T").
    void Erase_Data();

    // True while one of the commands waits for the logger.
    bool isRunning() const;
    // What the last Device_Time read; nullopt until it has read the clock.
    const std::optional<ClockReading> &clock() const { return m_clock; }
    // Why the last command failed; nullopt when it did what was asked (or was not confirmed).
    const std::optional<DeviceError> &error() const { return m_error; }
    EraseStep eraseStep() const { return m_eraseStep; }

    CommandBuffer &CmdBuf() { return m_cmdBuf; }
    // Unsuccessful polls of the exchange that runs (or ran last).
    int RetryCnt() const;

    // The timers, so tests can fire them without waiting.
    PollExchange &TimerPara() { return m_timerPara; }
    AckPollExchange &TimerStop() { return m_timerStop; }
    WaitExchange &TmrData() { return m_tmrData; }

Q_SIGNALS:
    // A command that had started an exchange has ended (whatever the outcome) and the device
    // commands are enabled again.
    void finished();

private:
    // Starts a command: nothing kept from the last one, then the port tested.
    bool portUsable();
    void begin(Exchange &exchange, const QByteArray &frame);
    void end();
    void setBusy(bool busy) { m_busy.set(busy); }

    void onClockReply(const QByteArray &reply);
    void onClockFailed();
    void onStopAcknowledged();
    void onStopFailed();
    void onEraseAcknowledged();
    void onEraseFailed();
    void onLinkLost(const QString &reason);
    // Ends a command that failed: why is kept, and said in a box unless the port went away under
    // the command (the main window has reported that, once).
    void fail(const QString &message, const Exchange &exchange, const QString &title,
              Prompter::Icon icon);

    DeviceHost &m_host;
    CommandBuffer m_cmdBuf;
    PollExchange m_timerPara;
    AckPollExchange m_timerStop;
    WaitExchange m_tmrData;
    Exchange *m_active = nullptr;
    EraseStep m_eraseStep = EraseStep::None;
    BusyShare m_busy{m_host};
    std::optional<ClockReading> m_clock;
    std::optional<DeviceError> m_error;
};
