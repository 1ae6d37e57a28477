#include "acquisition/download.h"

#include "acquisition/memory_image.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "device/command_frame.h"
#include "acquisition/clock_offset.h"
#include "device/param_reply.h"
#include "device/serial_link.h"

#include <algorithm>

namespace {
constexpr int kParamWaitMs = 2000;
constexpr int kMemoryWaitMs = 3000;
constexpr int kDrainAbove = 10000;
constexpr int kMaxAttempts = 5;
constexpr int kParameterBlock = 40;
// How often the line is looked at while a reply comes in: about two characters at 1200 baud.
constexpr int kPollMs = 20;
// The quiet a complete reply must be followed by before the stage ends: six characters at
// 1200 baud, so the logger is listening again when the next request goes out, and a late byte
// of this reply is never taken for part of the next one.
constexpr int kGuardMs = 50;
} // namespace

Downloader::Downloader(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    m_wait.setSingleShot(true);
    m_label.setSingleShot(true);
    m_label.setInterval(100);
    m_poll.setInterval(kPollMs);
    m_guard.setSingleShot(true);
    m_guard.setInterval(kGuardMs);
    connect(&m_wait, &QTimer::timeout, this, &Downloader::onWaitTimer);
    connect(&m_label, &QTimer::timeout, this, &Downloader::onLabelTimer);
    connect(&m_poll, &QTimer::timeout, this, &Downloader::onPollTimer);
    connect(&m_guard, &QTimer::timeout, this, &Downloader::onGuardTimer);
    connect(&m_link, &SerialLink::lost, this, &Downloader::onLinkLost);
}

void Downloader::onLinkLost()
{
    // A port that goes away ends the download at once. The readers below check isRunning()
    // after each read, for links that report the loss from inside one.
    if (isRunning())
        finish(Outcome::NotResponding);
}

void Downloader::start()
{
    m_reason.clear();
    cancel();
    m_image.clear();
    m_loops = 0;
    m_requests = 0;
    m_waitsRunOut = 0;
    m_model = 0;
    m_expected = 0;
    m_lastProgress = -1;
    m_lastTimeLeft = TimeLeft::kUnknown;
    m_clockOffset.reset();
    m_label.start();
    m_poll.start();
    m_stage = Stage::Parameters;
    sendHeadRequest();
    waitFor(kParamWaitMs);
}

void Downloader::cancel()
{
    m_wait.stop();
    m_label.stop();
    m_poll.stop();
    m_guard.stop();
    m_stage = Stage::Idle;
}

void Downloader::report(Outcome outcome, Prompter &prompter)
{
    switch (outcome) {
    case Outcome::Done:
        break;
    case Outcome::NotEnabled:
        prompter.message(msg::kNotEnabled, appinfo::title(), Prompter::Icon::Information);
        break;
    case Outcome::NotResponding:
        prompter.message(msg::kNotResponding, msg::kTitleWarningDots);
        break;
    }
}

void Downloader::sendHeadRequest()
{
    m_link.discardInput();
    m_link.write(frames::make('R', 'P'));
    ++m_requests;
    forgetReply();
}

void Downloader::sendBlockRequest()
{
    m_link.discardInput();
    m_link.write(frames::make('R', 'R'));
    ++m_requests;
    forgetReply();
    m_timeLeft.restart(qint64(m_expected) + memimage::kOverhead);
    m_clock.start();
}

void Downloader::forgetReply()
{
    m_buf.clear();
    m_replyAt = QDateTime();
    m_periodTotal = 0;
    m_seen = 0;
    m_guard.stop();
}

void Downloader::waitFor(int ms)
{
    m_wait.setInterval(ms);
    m_wait.start();
}

void Downloader::onLabelTimer()
{
    m_label.stop();
    Q_EMIT labelShown();
    Q_EMIT progress(0);
}

void Downloader::showProgress(qint64 have)
{
    const int value =
        int(std::min<qint64>(kProgressMax, kProgressMax * have / std::max(1, m_expected + 6)));
    if (value != m_lastProgress) {
        m_lastProgress = value;
        Q_EMIT progress(value);
    }
    const int left = m_timeLeft.update(have, m_clock.elapsed());
    if (left != m_lastTimeLeft) {
        m_lastTimeLeft = left;
        Q_EMIT timeLeft(left);
    }
}

void Downloader::onPollTimer()
{
    if (!isRunning())
        return;
    const qint64 waiting = m_link.bytesWaiting();
    if (!isRunning())
        return;
    const qint64 seen = m_buf.size() + waiting;
    if (m_stage == Stage::Memory)
        showProgress(seen);
    if (seen == m_seen)
        return;
    // Something arrived: whatever the guard was timing is not over yet.
    m_seen = seen;
    m_guard.stop();
    if (m_stage == Stage::Parameters) {
        m_replyAt = m_now();
        if (waiting >= kParameterBlock)
            m_guard.start();
        return;
    }
    // Enough bytes to be the image: take them in and see whether they are a complete one.
    if (seen < qint64(m_expected) + memimage::kOverhead || !takeInput())
        return;
    if (memimage::check(m_buf, m_expected) == memimage::Check::Ok)
        m_guard.start();
}

void Downloader::onGuardTimer()
{
    m_guard.stop();
    const qint64 before = m_seen;
    onPollTimer(); // a byte that came within the guard is judged like any other
    if (!isRunning() || m_seen != before)
        return;
    if (m_stage == Stage::Parameters)
        parameterWaitOver();
    else
        judgeImage();
}

void Downloader::onWaitTimer()
{
    m_wait.stop();
    if (!isRunning())
        return;
    ++m_waitsRunOut;
    if (m_stage == Stage::Parameters)
        parameterWaitOver();
    else
        memoryWaitOver();
}

void Downloader::parameterWaitOver()
{
    const qint64 count = m_link.bytesWaiting();
    const ParamReply reply(m_link.takeAll());
    if (!isRunning())
        return;
    if (count >= 19) {
        // A reply that came between two looks at the line is as old as this moment.
        m_clockOffset = clockoffset::ofReply(reply, m_replyAt.isValid() ? m_replyAt : m_now());
        m_model = reply.model();
        m_expected = reply.memoryFull() ? 32000 : reply.storedBytes();
        m_loops = 0;
        m_stage = Stage::Memory;
        sendBlockRequest();
        waitFor(kMemoryWaitMs);
        return;
    }
    m_reason = QStringLiteral("the parameter reply brought %1 bytes, at least 19 wanted").arg(count);
    if (++m_loops > kMaxAttempts - 1) {
        finish(Outcome::NotResponding);
        return;
    }
    sendHeadRequest();
    waitFor(kParamWaitMs);
}

void Downloader::memoryWaitOver()
{
    const qint64 waiting = m_link.bytesWaiting();
    if (!isRunning())
        return;
    const qint64 total = m_buf.size() + waiting;
    showProgress(total);
    if (total != m_periodTotal) {
        m_periodTotal = total;
        if (waiting > kDrainAbove && !takeInput())
            return;
        waitFor(kMemoryWaitMs);
        return;
    }
    // A whole wait period without a byte: the transfer is over.
    if (takeInput())
        judgeImage();
}

bool Downloader::takeInput()
{
    m_buf.append(m_link.takeAll());
    if (!isRunning())
        return false;
    // More than the receive buffer holds cannot be a logger's image.
    if (m_buf.size() > memimage::kMaxImage) {
        failedAttempt(QStringLiteral("more than the %1 bytes of a memory image arrived")
                          .arg(memimage::kMaxImage));
        return false;
    }
    return true;
}

void Downloader::judgeImage()
{
    if (const QString why =
            memimage::describe(memimage::check(m_buf, m_expected), m_buf, m_expected);
        !why.isEmpty()) {
        failedAttempt(why);
        return;
    }
    m_image = m_buf;
    m_buf.clear();
    const memimage::Trailer t = memimage::readTrailer(m_image);
    finish(t.enabled ? Outcome::Done : Outcome::NotEnabled);
}

void Downloader::failedAttempt(const QString &reason)
{
    m_reason = reason;
    // Checksum failures count too: a logger that always sends a damaged image must not be
    // asked forever.
    if (++m_loops > kMaxAttempts - 1) {
        finish(Outcome::NotResponding);
        return;
    }
    sendBlockRequest();
    waitFor(kMemoryWaitMs);
}

void Downloader::finish(Outcome o)
{
    cancel();
    if (o == Outcome::Done || o == Outcome::NotEnabled)
        Q_EMIT progress(kProgressMax);
    Q_EMIT finished(o);
}
