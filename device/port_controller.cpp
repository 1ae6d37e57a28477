#include "device/port_controller.h"

#include "common/messages.h"
#include "common/numfmt.h"
#include "common/prompter.h"
#include "device/comport_file.h"
#include "device/device_texts.h"
#include "device/port_mapping.h"
#include "device/serial_link.h"

PortController::PortController(SerialLink &link, Prompter &prompter, QObject *parent)
    : QObject(parent), m_link(link), m_prompter(prompter)
{
}

bool PortController::ok_port() const { return m_link.isOpen(); }

bool PortController::openSteps()
{
    const QString device = portmap::deviceFor(m_commPort);
    const QString name = devicetext::kPortName.arg(m_commPort);
    const QString opened = devicetext::kPortOpened.arg(name, device);
    switch (m_link.open(device, m_baudRate)) {
    case SerialLink::OpenResult::Ok:
        setStatus(opened);
        return true;
    case SerialLink::OpenResult::InvalidPort:
        setStatus(devicetext::kNoSuchPort.arg(name));
        m_prompter.message(msg::kInvalidPort);
        return false;
    // The port exists: no box, but the status bar says why it is not open; every device
    // command then answers that the port is invalid.
    case SerialLink::OpenResult::Busy:
        setStatus(opened + devicetext::kPortBusy);
        return false;
    case SerialLink::OpenResult::NoPermission:
        setStatus(opened + devicetext::kPortNoPermission.arg(portmap::accessGroup(device)));
        return false;
    case SerialLink::OpenResult::Failed:
        break;
    }
    setStatus(opened + devicetext::kPortNotOpened);
    return false;
}

bool PortController::Open_Port()
{
    if (!comportfile::write(m_commPort))
        return false;
    m_link.close();
    openSteps();
    return true;
}

void PortController::chooseCom(int n)
{
    m_commPort = qint16(n);
    if (!Open_Port()) {
        m_prompter.message(msg::kFileAccessingError);
        return;
    }
    setTick(Tick(n));
}

void PortController::chooseOther(const std::optional<QString> &answer)
{
    if (!answer)
        return;
    double v = 0;
    if (!numfmt::parse(*answer, &v))
        return;
    // A 16-bit whole number, halves to even; anything beyond is not a port number.
    const double r = numfmt::roundHalfEven(v, 0);
    if (r < -32768 || r > 32767)
        return;
    m_commPort = qint16(r);
    if (!Open_Port()) {
        m_prompter.message(msg::kFileAccessingError);
        return;
    }
    setTick(TickOther);
}

bool PortController::activate()
{
    m_baudRate = 1200;
    const auto n = comportfile::read();
    if (!n)
        return false;
    m_commPort = qint16(*n);
    setTick(*n >= 1 && *n <= 4 ? Tick(*n) : TickOther);
    if (m_link.isOpen())
        return false;
    return openSteps();
}

bool PortController::openForRun(int portNumber)
{
    m_baudRate = 1200;
    m_commPort = qint16(portNumber);
    m_link.close();
    return openSteps();
}

void PortController::applyLineSettings()
{
    m_baudRate = 1200;
    if (m_link.isOpen())
        m_link.setLineSettings(m_baudRate);
}

void PortController::shutDown(bool withBreak)
{
    if (m_link.isOpen()) {
        if (withBreak)
            m_link.setBreak(true);
        m_link.close();
    }
}

void PortController::portLost(const QString &reason)
{
    setStatus(devicetext::kPortLostStatus.arg(devicetext::kPortName.arg(m_commPort), reason));
}

void PortController::setTick(Tick t)
{
    if (m_tick == t)
        return;
    m_tick = t;
    Q_EMIT tickChanged(t);
}

void PortController::setStatus(const QString &s)
{
    m_status = s;
    Q_EMIT statusChanged(s);
}
