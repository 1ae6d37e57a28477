#include "tests/support/fake_serial_link.h"

SerialLink::OpenResult FakeSerialLink::open(const QString &device, int b)
{
    close();
    ++opens;
    if (busy.contains(device))
        return OpenResult::Busy;
    if (denied.contains(device))
        return OpenResult::NoPermission;
    if (!existing.contains(device))
        return OpenResult::InvalidPort;
    m_open = true;
    m_device = device;
    baud = b;
    return OpenResult::Ok;
}

void FakeSerialLink::close()
{
    m_open = false;
    m_device.clear();
}

bool FakeSerialLink::setLineSettings(int b)
{
    baud = b;
    return true;
}

void FakeSerialLink::discardInput()
{
    ++discards;
    rx.clear();
}

QByteArray FakeSerialLink::takeAll()
{
    QByteArray out;
    out.swap(rx);
    return out;
}

bool FakeSerialLink::write(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    written.append(bytes);
    if (onWrite)
        onWrite(bytes);
    return true;
}
