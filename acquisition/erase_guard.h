#pragma once

#include "device/device_host.h"
#include "device/exchanges.h"

#include <QObject>

#include <functional>

// Start Device and Clear & Stop erase the logger, and the archive keeps only what was
// downloaded: a run nobody read would be gone for good. Before either command goes on, the
// guard asks the logger for its parameter block ("R","P", as the clock query does: 500 ms polls
// of 19 bytes or more, 5 sends) and, when it holds readings, offers to read and keep them first.
//   Yes    - the reader downloads into the archive as Read Data does; the command goes on only
//            once the run is kept. A download or a keep that fails ends the command there.
//   No     - the command goes on as it always did.
//   Cancel - nothing more happens.
// A logger that does not answer ends the command with the usual message: what it holds is
// unknown, so it is not erased.
class EraseGuard : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 500;
    static constexpr int kThreshold = 19;
    static constexpr int kSends = 5;

    explicit EraseGuard(DeviceHost &host, QObject *parent = nullptr);

    // How a run is read and kept: starts a download and later calls readDone() with whether
    // the run is kept.
    void setReader(std::function<void()> readAndKeep) { m_reader = std::move(readAndKeep); }
    // Runs `erase` when nothing unread would be lost; at once when there is no reader or the
    // port is unusable (the command reports that itself).
    void beforeErase(std::function<void()> erase);
    // The reader's outcome: the run it downloaded is kept, or it is not (its own message said
    // why).
    void readDone(bool kept);

    bool isRunning() const { return m_poll.isRunning() || m_reading; }
    PollExchange &TimerPara() { return m_poll; }

private:
    void onReply(const QByteArray &reply);
    void onFailed();
    void goOn();

    DeviceHost &m_host;
    PollExchange m_poll;
    BusyShare m_busy{m_host};
    std::function<void()> m_reader;
    std::function<void()> m_erase;
    bool m_reading = false;
};
