#include "device/device_commands.h"

#include "common/app_info.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "device/device_host.h"
#include "device/param_reply.h"
#include "device/serial_link.h"

DeviceCommands::DeviceCommands(DeviceHost &host, QObject *parent)
    : QObject(parent), m_host(host),
      m_timerPara(&host.link(), kTimerParaMs, PollExchange::Rule::AtLeast, kClockThreshold,
                  kClockSends),
      m_timerStop(&host.link(), kTimerStopMs, kStopSends),
      m_tmrData(&host.link(), kTmrDataMs, kEraseSendsPerStep)
{
    m_timerPara.setObjectName(QStringLiteral("TimerPara"));
    m_timerStop.setObjectName(QStringLiteral("TimerStop"));
    m_tmrData.setObjectName(QStringLiteral("TmrData"));
    connect(&m_timerPara, &PollExchange::replied, this, &DeviceCommands::onClockReply);
    connect(&m_timerPara, &PollExchange::failed, this, &DeviceCommands::onClockFailed);
    connect(&m_timerStop, &AckPollExchange::acknowledged, this,
            &DeviceCommands::onStopAcknowledged);
    connect(&m_timerStop, &AckPollExchange::failed, this, &DeviceCommands::onStopFailed);
    connect(&m_tmrData, &WaitExchange::acknowledged, this, &DeviceCommands::onEraseAcknowledged);
    connect(&m_tmrData, &WaitExchange::failed, this, &DeviceCommands::onEraseFailed);
    connect(&host.link(), &SerialLink::lost, this, &DeviceCommands::onLinkLost);
}

void DeviceCommands::onLinkLost(const QString &reason)
{
    if (!isRunning())
        return;
    m_timerPara.cancel();
    m_timerStop.cancel();
    m_tmrData.cancel();
    m_eraseStep = EraseStep::None;
    setBusy(false);
    m_error = DeviceError{DeviceError::Kind::LinkLost, QString(), reason};
    end();
}

void DeviceCommands::fail(const QString &message, const Exchange &exchange, const QString &title,
                          Prompter::Icon icon)
{
    m_eraseStep = EraseStep::None;
    setBusy(false);
    m_error = DeviceError{DeviceError::Kind::NoValidReply, message, exchange.failureReason()};
    if (m_host.link().isOpen())
        m_host.prompter().message(m_error->message, title, icon);
    end();
}

bool DeviceCommands::isRunning() const
{
    return m_timerPara.isRunning() || m_timerStop.isRunning() || m_tmrData.isRunning();
}

int DeviceCommands::RetryCnt() const { return m_active ? m_active->retryCount() : 0; }

bool DeviceCommands::portUsable()
{
    m_clock.reset();
    m_error.reset();
    if (m_host.okPort())
        return true;
    m_error = DeviceError{DeviceError::Kind::InvalidPort, msg::kInvalidPort};
    m_host.prompter().message(m_error->message);
    return false;
}

void DeviceCommands::begin(Exchange &exchange, const QByteArray &frame)
{
    m_active = &exchange;
    exchange.start(frame);
}

void DeviceCommands::end()
{
    m_host.Enb_Controls();
    Q_EMIT finished();
}

// --- Device Time ------------------------------------------------------------------------------

void DeviceCommands::Device_Time()
{
    // The commands are disabled while one runs; a call from elsewhere must not cut into it.
    if (isRunning() || !portUsable())
        return;
    m_host.Dsb_Controls();
    // Only the letters are set: the parameter bytes go out as the last command left them.
    m_cmdBuf.setLetters('R', 'P');
    begin(m_timerPara, m_cmdBuf.frame());
    setBusy(true);
}

void DeviceCommands::onClockReply(const QByteArray &reply)
{
    m_clock = ClockReading::fromReply(ParamReply(reply));
    setBusy(false);
    // The clock in an information box; that the logger is stopped in a plain one.
    m_host.prompter().message(m_clock->text(), appinfo::title(),
                              m_clock->stopped ? Prompter::Icon::None
                                               : Prompter::Icon::Information);
    end();
}

void DeviceCommands::onClockFailed()
{
    fail(msg::kNotResponding, m_timerPara, msg::kTitleWarningDots, Prompter::Icon::None);
}

// --- Stop ---------------------------------------------------------------------------------------

void DeviceCommands::Confirm_Stop()
{
    if (isRunning() || !portUsable())
        return;
    if (!m_host.prompter().askYesNo(msg::kConfirmStop, appinfo::title(),
                                    Prompter::Icon::Information))
        return;
    Stop_Device();
}

void DeviceCommands::Stop_Device()
{
    if (isRunning() || !portUsable())
        return;
    m_host.Dsb_Controls();
    setBusy(true);
    m_cmdBuf.setAll('A', 'T', 0, 0, 0);
    // Each stop starts its own budget of four sends, whatever an earlier command left in the
    // retry count.
    begin(m_timerStop, m_cmdBuf.frame());
}

void DeviceCommands::onStopAcknowledged()
{
    setBusy(false);
    m_host.prompter().message(msg::kDeviceIsStopped, appinfo::title(),
                              Prompter::Icon::Information);
    end();
}

void DeviceCommands::onStopFailed()
{
    fail(msg::kNotStopped, m_timerStop, msg::kTitleWarning, Prompter::Icon::Information);
}

// --- Clear & Stop -------------------------------------------------------------------------------

void DeviceCommands::Erase_Data()
{
    if (isRunning() || !portUsable())
        return;
    if (!m_host.prompter().askYesNo(msg::kConfirmErase, appinfo::title(),
                                    Prompter::Icon::Information))
        return;
    m_host.Dsb_Controls();
    setBusy(true);
    m_eraseStep = EraseStep::Erase;
    m_cmdBuf.setAll('A', 'L', 0, 5, 0);
    begin(m_tmrData, m_cmdBuf.frame());
}

void DeviceCommands::onEraseAcknowledged()
{
    if (m_eraseStep == EraseStep::Erase) {
        // The memory is erased; now stop the logger, with a fresh budget of sends.
        m_eraseStep = EraseStep::Stop;
        m_cmdBuf.setAll('A', 'T', 0, 0, 0);
        begin(m_tmrData, m_cmdBuf.frame());
        return;
    }
    m_eraseStep = EraseStep::None;
    m_host.Enb_Controls();
    setBusy(false);
    m_host.prompter().message(msg::kCleared, appinfo::title(), Prompter::Icon::Information);
    Q_EMIT finished();
}

void DeviceCommands::onEraseFailed()
{
    fail(msg::kError, m_tmrData, msg::kTitleWarning, Prompter::Icon::Information);
}
