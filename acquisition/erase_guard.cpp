#include "acquisition/erase_guard.h"

#include "acquisition/unread_readings.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "device/command_frame.h"
#include "device/param_reply.h"
#include "device/serial_link.h"

EraseGuard::EraseGuard(DeviceHost &host, QObject *parent)
    : QObject(parent), m_host(host),
      m_poll(&host.link(), kPollMs, PollExchange::Rule::AtLeast, kThreshold, kSends)
{
    m_poll.setObjectName(QStringLiteral("EraseGuardPara"));
    connect(&m_poll, &PollExchange::replied, this, &EraseGuard::onReply);
    connect(&m_poll, &PollExchange::failed, this, &EraseGuard::onFailed);
    connect(&host.link(), &SerialLink::lost, this, [this] {
        // The port reports its loss itself; the command ends here, nothing erased.
        m_erase = nullptr;
        m_reading = false; // the download ends on its own
        if (!m_poll.isRunning())
            return;
        m_poll.cancel();
        m_busy.set(false);
        m_host.Enb_Controls();
    });
}

void EraseGuard::beforeErase(std::function<void()> erase)
{
    if (isRunning())
        return;
    if (!m_reader || !m_host.okPort()) {
        erase();
        return;
    }
    m_erase = std::move(erase);
    m_host.Dsb_Controls();
    m_busy.set(true);
    m_poll.start(frames::make('R', 'P'));
}

void EraseGuard::onReply(const QByteArray &reply)
{
    m_busy.set(false);
    m_host.Enb_Controls();
    const UnreadReadings unread = UnreadReadings::of(ParamReply(reply));
    if (unread.readings == 0) {
        goOn();
        return;
    }
    switch (m_host.prompter().askYesNoCancel(unread.question(), appinfo::title(),
                                             Prompter::Icon::Question)) {
    case Prompter::Answer::Yes:
        m_reading = true;
        m_reader();
        break;
    case Prompter::Answer::No:
        goOn();
        break;
    case Prompter::Answer::Cancel:
        m_erase = nullptr;
        break;
    }
}

void EraseGuard::onFailed()
{
    m_busy.set(false);
    m_erase = nullptr;
    if (m_host.link().isOpen())
        m_host.prompter().message(msg::kNotResponding, msg::kTitleWarningDots);
    m_host.Enb_Controls();
}

void EraseGuard::readDone(bool kept)
{
    if (!m_reading)
        return;
    m_reading = false;
    if (kept)
        goOn();
    else
        m_erase = nullptr;
}

void EraseGuard::goOn()
{
    const std::function<void()> erase = std::move(m_erase);
    m_erase = nullptr;
    if (erase)
        erase();
}
