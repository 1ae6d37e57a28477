#include "device/exchanges.h"

#include "device/command_frame.h"
#include "device/device_texts.h"
#include "device/serial_link.h"

Exchange::Exchange(SerialLink *link, int intervalMs, QObject *parent)
    : QObject(parent), m_link(link)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { onTimer(); });
}

void Exchange::start(const QByteArray &frame)
{
    m_frame = frame;
    m_reason.clear();
    m_retry = 0;
    m_sends = 0;
    m_running = true;
    send();
}

void Exchange::cancel()
{
    m_timer.stop();
    m_running = false;
}

void Exchange::send()
{
    // A link that went away counts as a logger that does not answer.
    m_link->discardInput();
    m_link->write(m_frame);
    ++m_sends;
    m_timer.start();
}

void Exchange::finish()
{
    m_timer.stop();
    m_running = false;
}

void Exchange::fail(const QString &reason)
{
    finish();
    m_reason = reason;
}

QString Exchange::noReply(const QString &lastPoll) const
{
    return devicetext::kNoValidReply.arg(m_sends).arg(lastPoll);
}

namespace {
QString bytesText(qint64 n)
{
    if (n == 0)
        return devicetext::kNothing;
    return n == 1 ? devicetext::kOneByte : devicetext::kBytes.arg(n);
}
} // namespace

PollExchange::PollExchange(SerialLink *link, int intervalMs, Rule rule, int threshold,
                           int maxSends, QObject *parent)
    : Exchange(link, intervalMs, parent), m_rule(rule), m_threshold(threshold),
      m_maxSends(maxSends)
{
}

void PollExchange::onTimer()
{
    if (!m_running)
        return;
    m_timer.stop();
    const qint64 count = m_link->bytesWaiting();
    const QByteArray bytes = m_link->takeAll();
    const bool ok = m_rule == Rule::AtLeast ? count >= m_threshold : count == m_threshold;
    if (ok) {
        finish();
        Q_EMIT replied(bytes);
        return;
    }
    ++m_retry;
    if (m_retry < m_maxSends) {
        send();
        return;
    }
    fail(noReply(
        devicetext::kLastBrought
            .arg(bytesText(count), m_rule == Rule::AtLeast ? devicetext::kAtLeast : QString())
            .arg(m_threshold)));
    Q_EMIT failed();
}

AckPollExchange::AckPollExchange(SerialLink *link, int intervalMs, int maxSends, QObject *parent)
    : Exchange(link, intervalMs, parent), m_maxSends(maxSends)
{
}

void AckPollExchange::onTimer()
{
    if (!m_running)
        return;
    m_timer.stop();
    const qint64 count = m_link->bytesWaiting();
    if (count == 9) {
        const QByteArray bytes = m_link->takeAll();
        m_link->discardInput();
        if (frames::isAcknowledgement(bytes)) {
            finish();
            Q_EMIT acknowledged();
            return;
        }
    }
    ++m_retry;
    if (m_maxSends > 0 && m_retry >= m_maxSends) {
        fail(noReply(count == 9
                         ? devicetext::kLastNoAcknowledgement
                         : devicetext::kLastBrought.arg(bytesText(count), QString()).arg(9)));
        Q_EMIT failed();
        return;
    }
    send();
    Q_EMIT retrying(m_retry);
}

WaitExchange::WaitExchange(SerialLink *link, int intervalMs, int maxSends, QObject *parent)
    : Exchange(link, intervalMs, parent), m_maxSends(maxSends)
{
}

void WaitExchange::onTimer()
{
    if (!m_running)
        return;
    m_timer.stop();
    const qint64 count = m_link->bytesWaiting();
    const QByteArray bytes = m_link->takeAll();
    if (count >= 9) {
        if (frames::isAcknowledgement(bytes)) {
            finish();
            Q_EMIT acknowledged();
        } else {
            fail(devicetext::kReplyNoAcknowledgement.arg(bytesText(count)));
            Q_EMIT failed();
        }
        return;
    }
    ++m_retry;
    if (m_retry < m_maxSends) {
        send();
        return;
    }
    fail(noReply(devicetext::kLastBrought.arg(bytesText(count), devicetext::kAtLeast).arg(9)));
    Q_EMIT failed();
}
