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

void LoggerDialog::linkLost()
{
    if (m_closed)
        return;
    const bool wasWaiting = m_timerPara.isRunning() || m_sendTimer.isRunning();
    m_timerPara.cancel();
    m_sendTimer.cancel();
    setBusy(false);
    onLinkLost(wasWaiting);
}

void LoggerDialog::reportNoAnswer()
{
    if (m_host.link().isOpen())
        m_host.prompter().message(msg::kNotResponding, msg::kTitleWarningDots);
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
