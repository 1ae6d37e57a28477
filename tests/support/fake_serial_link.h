#pragma once

#include "device/serial_link.h"

#include <QList>

#include <functional>

// An in-memory SerialLink for tests: what the program writes is recorded in `written`, and a
// test puts reply bytes into the receive buffer with feed() (or lets `onWrite` answer).
class FakeSerialLink final : public SerialLink
{
    Q_OBJECT
public:
    using SerialLink::SerialLink;

    OpenResult open(const QString &device, int baud) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString deviceName() const override { return m_device; }
    bool setLineSettings(int baud) override;
    void setBreak(bool on) override { breakOn = on; }
    void discardInput() override;
    qint64 bytesWaiting() override { return rx.size(); }
    QByteArray takeAll() override;
    bool write(const QByteArray &bytes) override;

    void feed(const QByteArray &bytes) { rx.append(bytes); }
    // Pretends the device went away.
    void pull() { m_open = false; Q_EMIT lost(QStringLiteral("gone")); }

    QByteArray rx;
    QList<QByteArray> written;
    int baud = 0;
    bool breakOn = false;
    int discards = 0;
    int opens = 0;                                       // open() calls, successful or not
    QStringList existing{QStringLiteral("/dev/fake1")}; // devices open() accepts
    QStringList busy;                                    // devices another program holds
    QStringList denied;                                  // devices this user may not open
    std::function<void(const QByteArray &)> onWrite;     // called after each write

private:
    bool m_open = false;
    QString m_device;
};
