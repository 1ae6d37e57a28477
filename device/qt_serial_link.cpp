#include "device/qt_serial_link.h"

#include "device/device_texts.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>
#endif

namespace {

// QSerialPort reports a device held by another program and one this user may not open alike,
// as a permission error; only the second is cured by joining the device's group.
SerialLink::OpenResult permissionFailure(const QString &device)
{
#ifdef Q_OS_UNIX
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return SerialLink::OpenResult::NoPermission;
    return SerialLink::OpenResult::Busy;
#else
    Q_UNUSED(device);
    return SerialLink::OpenResult::Busy;
#endif
}

} // namespace

QtSerialLink::QtSerialLink(QObject *parent) : SerialLink(parent)
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::onError);
}

QtSerialLink::~QtSerialLink() { close(); }

SerialLink::OpenResult QtSerialLink::open(const QString &device, int baud)
{
    close();
    if (device.isEmpty())
        return OpenResult::InvalidPort;
    // A path that is not there is a port number that maps to nothing.
    if (device.startsWith(QLatin1Char('/')) && !QFileInfo::exists(device))
        return OpenResult::InvalidPort;
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto err = m_port.error();
        m_port.clearError();
        switch (err) {
        case QSerialPort::DeviceNotFoundError:
            return OpenResult::InvalidPort;
        case QSerialPort::PermissionError:
            return permissionFailure(device);
        default:
            return OpenResult::Failed;
        }
    }
    if (!setLineSettings(baud)) {
        m_port.close();
        return OpenResult::Failed;
    }
    // Pseudo-terminals cannot set the modem lines; real USB cables can. Neither is fatal.
    if (!m_port.setRequestToSend(true))
        m_port.clearError();
    if (!m_port.setDataTerminalReady(true))
        m_port.clearError();
    m_device = device;
    return OpenResult::Ok;
}

bool QtSerialLink::setLineSettings(int baud)
{
    const bool ok = m_port.setBaudRate(baud) && m_port.setParity(QSerialPort::NoParity) &&
                    m_port.setDataBits(QSerialPort::Data8) &&
                    m_port.setStopBits(QSerialPort::OneStop) &&
                    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok)
        m_port.clearError();
    return ok || !m_port.isOpen();
}

void QtSerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_device.clear();
}

bool QtSerialLink::isOpen() const { return m_port.isOpen(); }

QString QtSerialLink::deviceName() const { return m_device; }

void QtSerialLink::setBreak(bool on)
{
    if (m_port.isOpen() && !m_port.setBreakEnabled(on))
        m_port.clearError();
}

void QtSerialLink::pull()
{
    // Bring in what the system has received but the event loop has not read yet, so the count
    // a timer sees is what has really arrived.
    if (m_port.isOpen())
        m_port.waitForReadyRead(0);
    if (m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
}

void QtSerialLink::discardInput()
{
    if (!m_port.isOpen())
        return;
    pull();
    m_port.readAll();
    if (!m_port.clear(QSerialPort::Input))
        m_port.clearError();
}

qint64 QtSerialLink::bytesWaiting()
{
    if (!m_port.isOpen())
        return 0;
    pull();
    return m_port.bytesAvailable();
}

QByteArray QtSerialLink::takeAll()
{
    if (!m_port.isOpen())
        return {};
    pull();
    return m_port.readAll();
}

bool QtSerialLink::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes) != bytes.size())
        return false;
    m_port.flush();
    return true;
}

bool QtSerialLink::hungUp() const
{
#ifdef Q_OS_UNIX
    // A line that was hung up (cable or adapter pulled) stays readable and reads nothing.
    pollfd p{int(m_port.handle()), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
#else
    return false;
#endif
}

void QtSerialLink::onError(QSerialPort::SerialPortError e)
{
    if (!m_port.isOpen())
        return;
    // A hung-up line is reported as a read error with a stale reason, again and again for as
    // long as the port stays open; only writing to it gives the resource error.
    const bool gone = e == QSerialPort::ResourceError ||
                      (e == QSerialPort::ReadError && hungUp());
    if (gone) {
        const QString reason =
            e == QSerialPort::ResourceError ? m_port.errorString() : devicetext::kDisconnected;
        m_port.clearError();
        close();
        // The error can surface inside any read or write of an exchange; telling everyone from
        // the event loop means no exchange hears of it in the middle of its own step. Until
        // then the port is closed and reads as silence.
        QMetaObject::invokeMethod(this, [this, reason] { Q_EMIT lost(reason); },
                                  Qt::QueuedConnection);
    }
}
