#include "device/logger_dialog.h"

#include "common/messages.h"
#include "common/prompter.h"
#include "device/device_host.h"
#include "device/serial_link.h"

LoggerDialog::LoggerDialog(DeviceHost &host, QObject *parent)
    : QObject(parent), m_host(host),
      m_timerPara(&host.link(), kTimerParaMs, PollExchange::Rule::Exactly, kReplyLength,
                  kRequestSends),
      m_sendTimer(&host.link(), kSendTimerMs, 0)
{
    m_timerPara.setObjectName(QStringLiteral("TimerPara"));
    m_sendTimer.setObjectName(QStringLiteral("SendTimer"));
    // Through lambdas: the handlers are the derived dialog's, which does not exist yet here.
    connect(&m_timerPara, &PollExchange::replied, this,
            [this](const QByteArray &reply) { onParameters(reply); });
    connect(&m_timerPara, &PollExchange::failed, this, [this] {
        setBusy(false);
        onNoParameters();
    });
    connect(&m_sendTimer, &AckPollExchange::acknowledged, this, [this] { onAcknowledged(); });
    connect(&host.link(), &SerialLink::lost, this, &LoggerDialog::linkLost);
}

void LoggerDialog::linkLost(const QString &reason)
{
    if (m_closed)
        return;
    const bool wasWaiting = m_timerPara.isRunning() || m_sendTimer.isRunning();
    m_timerPara.cancel();
    m_sendTimer.cancel();
    setBusy(false);
    onLinkLost(wasWaiting, reason);
}

void LoggerDialog::reportNoAnswer()
{
    const DeviceError e{DeviceError::Kind::NoValidReply, msg::kNotResponding,
                        m_timerPara.failureReason()};
    if (m_host.link().isOpen())
        m_host.prompter().message(e.message, msg::kTitleWarningDots);
    fail(e);
}

void LoggerDialog::fail(const DeviceError &error)
{
    m_error = error;
    Q_EMIT failed(error);
}

void LoggerDialog::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_timerPara.cancel();
    m_sendTimer.cancel();
    onClosing();
    setBusy(false);
    m_host.Enb_Controls();
    Q_EMIT changed();
}
