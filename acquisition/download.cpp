#include "acquisition/download.h"

#include "acquisition/memory_image.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "device/command_frame.h"
#include "device/param_reply.h"
#include "device/serial_link.h"

#include <algorithm>

namespace {
constexpr int kParamWaitMs = 2000;
constexpr int kMemoryWaitMs = 3000;
constexpr int kDrainAbove = 10000;
constexpr int kMaxAttempts = 5;
} // namespace

Downloader::Downloader(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    m_wait.setSingleShot(true);
    m_label.setSingleShot(true);
    m_label.setInterval(100);
    m_progressTimer.setInterval(250);
    connect(&m_wait, &QTimer::timeout, this, &Downloader::onWaitTimer);
    connect(&m_label, &QTimer::timeout, this, &Downloader::onLabelTimer);
    connect(&m_progressTimer, &QTimer::timeout, this, &Downloader::onProgressTimer);
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
    m_buf.clear();
    m_loops = 0;
    m_requests = 0;
    m_model = 0;
    m_expected = 0;
    m_lastProgress = -1;
    m_label.start();
    m_stage = Stage::Parameters;
    sendHeadRequest();
    waitFor(kParamWaitMs);
}

void Downloader::cancel()
{
    m_wait.stop();
    m_label.stop();
    m_progressTimer.stop();
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
}

void Downloader::sendBlockRequest()
{
    m_link.discardInput();
    m_link.write(frames::make('R', 'R'));
    ++m_requests;
    m_buf.clear();
    m_previous = 0;
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
    m_progressTimer.start();
}

void Downloader::onProgressTimer()
{
    if (m_stage != Stage::Memory)
        return;
    const qint64 have = m_link.bytesWaiting() + m_buf.size();
    if (!isRunning())
        return;
    const qint64 value =
        std::min<qint64>(kProgressMax, kProgressMax * have / std::max(1, m_expected + 6));
    if (value != m_lastProgress) {
        m_lastProgress = int(value);
        Q_EMIT progress(int(value));
    }
}

void Downloader::onWaitTimer()
{
    m_wait.stop();
    if (m_stage == Stage::Parameters) {
        const qint64 count = m_link.bytesWaiting();
        const ParamReply reply(m_link.takeAll());
        if (!isRunning())
            return;
        if (count >= 19) {
            m_model = reply.model();
            m_expected = reply.memoryFull() ? 32000 : reply.storedBytes();
            m_loops = 0;
            m_stage = Stage::Memory;
            sendBlockRequest();
            waitFor(kMemoryWaitMs);
            return;
        }
        m_reason =
            QStringLiteral("the parameter reply brought %1 bytes, at least 19 wanted").arg(count);
        if (++m_loops > kMaxAttempts - 1) {
            finish(Outcome::NotResponding);
            return;
        }
        sendHeadRequest();
        waitFor(kParamWaitMs);
        return;
    }
    if (m_stage == Stage::Memory)
        memoryWaitOver();
}

void Downloader::memoryWaitOver()
{
    onProgressTimer();
    const qint64 count = m_link.bytesWaiting();
    if (!isRunning())
        return;
    if (count != m_previous) {
        m_previous = count;
        if (m_previous > kDrainAbove) {
            m_buf.append(m_link.takeAll());
            if (!isRunning())
                return;
            m_previous = 0;
            // More than the receive buffer holds cannot be a logger's image.
            if (m_buf.size() > memimage::kMaxImage) {
                failedAttempt(QStringLiteral("more than the %1 bytes of a memory image arrived")
                                  .arg(memimage::kMaxImage));
                return;
            }
        }
        waitFor(kMemoryWaitMs);
        return;
    }
    // A whole wait period without a byte: the transfer is over.
    m_buf.append(m_link.takeAll());
    if (!isRunning())
        return;
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
