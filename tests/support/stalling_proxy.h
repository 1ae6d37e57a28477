#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>

#include <atomic>

class QObject;

namespace testproxy {

// A TCP proxy on 127.0.0.1 in a thread of its own, between a client and a PostgreSQL server's
// Unix socket. It forwards bytes both ways until told to stall; from then on it forwards
// nothing on any connection, old or new, and keeps every socket open: what a client sees of a
// server whose process stalls, or of a link that goes quiet. A silent proxy accepts
// connections and never answers.
class StallingProxy
{
public:
    enum class Mode { Forward, Silent };

    StallingProxy(const QString &unixSocket, Mode mode);
    ~StallingProxy();
    StallingProxy(const StallingProxy &) = delete;
    StallingProxy &operator=(const StallingProxy &) = delete;

    quint16 port() const { return m_port; }
    // Stalls when a client sends `marker` (that chunk is not forwarded).
    void stallOn(const QByteArray &marker);
    bool stalled() const { return m_stalled; }
    // Connections accepted so far.
    int connections() const { return m_connections; }

private:
    friend class Relay;

    QThread m_thread;
    QObject *m_relay = nullptr; // lives on m_thread
    quint16 m_port = 0;
    Mode m_mode;
    QByteArray m_marker; // set before a client could send it
    std::atomic<bool> m_stalled{false};
    std::atomic<int> m_connections{0};
};

} // namespace testproxy
