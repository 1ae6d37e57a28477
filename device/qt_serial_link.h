#pragma once

#include "device/serial_link.h"

#include <QSerialPort>

// SerialLink over QSerialPort.
class QtSerialLink final : public SerialLink
{
    Q_OBJECT
public:
    explicit QtSerialLink(QObject *parent = nullptr);
    ~QtSerialLink() override;

    OpenResult open(const QString &device, int baud) override;
    void close() override;
    bool isOpen() const override;
    QString deviceName() const override;
    bool setLineSettings(int baud) override;
    void setBreak(bool on) override;
    void discardInput() override;
    qint64 bytesWaiting() override;
    QByteArray takeAll() override;
    bool write(const QByteArray &bytes) override;

private:
    void onError(QSerialPort::SerialPortError e);
    bool hungUp() const;
    void pull();

    QSerialPort m_port;
    QString m_device;
};
