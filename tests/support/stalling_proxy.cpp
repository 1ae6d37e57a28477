#include "tests/support/stalling_proxy.h"

#include <QHostAddress>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace testproxy {

class Relay : public QObject
{
public:
    Relay(StallingProxy &proxy, QString path) : m_proxy(proxy), m_path(std::move(path)) {}

    quint16 listen()
    {
        connect(&m_server, &QTcpServer::newConnection, this, &Relay::accept);
        m_server.listen(QHostAddress::LocalHost, 0);
        return m_server.serverPort();
    }

private:
    void accept()
    {
        while (QTcpSocket *client = m_server.nextPendingConnection()) {
            client->setParent(this);
            ++m_proxy.m_connections;
            if (m_proxy.m_mode == StallingProxy::Mode::Silent || m_proxy.m_stalled)
                continue;
            auto *server = new QLocalSocket(this);
            server->connectToServer(m_path);
            // The marker may arrive split over two reads: what came before is kept to look in.
            auto seen = std::make_shared<QByteArray>();
            connect(client, &QTcpSocket::readyRead, this, [this, client, server, seen] {
                if (m_proxy.m_stalled)
                    return;
                const QByteArray bytes = client->readAll();
                const QByteArray &marker = m_proxy.m_marker;
                if (!marker.isEmpty() && (*seen + bytes).contains(marker)) {
                    m_proxy.m_stalled = true;
                    return;
                }
                *seen = (*seen + bytes).right(marker.size());
                server->write(bytes);
            });
            connect(server, &QLocalSocket::readyRead, this, [this, client, server] {
                if (!m_proxy.m_stalled)
                    client->write(server->readAll());
            });
            // A side that closes closes the other, unless the proxy stalls.
            connect(client, &QTcpSocket::disconnected, server, [this, server] {
                if (!m_proxy.m_stalled)
                    server->disconnectFromServer();
            });
            connect(server, &QLocalSocket::disconnected, client, [this, client] {
                if (!m_proxy.m_stalled)
                    client->disconnectFromHost();
            });
        }
    }

    StallingProxy &m_proxy;
    QString m_path;
    QTcpServer m_server{this};
};

StallingProxy::StallingProxy(const QString &unixSocket, Mode mode) : m_mode(mode)
{
    auto *relay = new Relay(*this, unixSocket);
    relay->moveToThread(&m_thread);
    m_relay = relay;
    m_thread.start();
    QMetaObject::invokeMethod(
        relay, [this, relay] { m_port = relay->listen(); }, Qt::BlockingQueuedConnection);
}

StallingProxy::~StallingProxy()
{
    // Every socket closes with the relay, on its own thread.
    QMetaObject::invokeMethod(m_relay, [this] {
        delete m_relay;
        QThread::currentThread()->quit();
    });
    m_thread.wait();
}

void StallingProxy::stallOn(const QByteArray &marker)
{
    QMetaObject::invokeMethod(
        m_relay, [this, marker] { m_marker = marker; }, Qt::BlockingQueuedConnection);
}

} // namespace testproxy
