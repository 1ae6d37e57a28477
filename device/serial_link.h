#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The serial line to the logger, reduced to what the exchanges use: discard input, count the
// bytes waiting, take them all, write a frame; plus opening and the modem lines.
// QtSerialLink drives a real port; FakeSerialLink lets tests put reply bytes in the receive
// buffer. Nothing is ever written to a link that is not open.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    enum class OpenResult {
        Ok,
        InvalidPort,  // the port number maps to no device (the "invalid port" case)
        Busy,         // another program holds the device
        NoPermission, // this user may not read and write the device
        Failed        // the device exists but cannot be opened for another reason
    };

    using QObject::QObject;

    // Opens `device` at `baud` baud, no parity, 8 data bits, 1 stop bit, then raises RTS and
    // DTR. A link that is already open is closed first.
    virtual OpenResult open(const QString &device, int baud) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString deviceName() const = 0;
    // Re-applies the line settings to an open port (1200 baud, "n,8,1").
    virtual bool setLineSettings(int baud) = 0;
    virtual void setBreak(bool on) = 0;

    virtual void discardInput() = 0;
    virtual qint64 bytesWaiting() = 0;
    virtual QByteArray takeAll() = 0;
    // Writes the bytes in one call; false (and nothing written) when the link is not open.
    virtual bool write(const QByteArray &bytes) = 0;

Q_SIGNALS:
    // The open device went away (cable pulled, pty closed). Emitted once; the link is closed.
    void lost(const QString &reason);
};
