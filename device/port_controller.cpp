#include "device/port_controller.h"

#include "common/messages.h"
#include "common/numfmt.h"
#include "common/prompter.h"
#include "device/comport_file.h"
#include "device/port_mapping.h"
#include "device/serial_link.h"

PortController::PortController(SerialLink &link, Prompter &prompter, QObject *parent)
    : QObject(parent), m_link(link), m_prompter(prompter)
{
}

PortController::OpenOutcome PortController::openSteps()
{
    const QString device = portmap::deviceFor(comm_port);
    const QString name = QStringLiteral("COM%1").arg(comm_port);
    switch (m_link.open(device, Baud_Rate)) {
    case SerialLink::OpenResult::Ok:
        ok_port = true;
        setStatus(QStringLiteral("%1 \u2192 %2").arg(name, device));
        return OpenOutcome::Opened;
    case SerialLink::OpenResult::InvalidPort:
        setStatus(QStringLiteral("%1: no such port").arg(name));
        m_prompter.message(msg::kInvalidPort);
        ok_port = false;
        return OpenOutcome::Invalid;
    case SerialLink::OpenResult::Failed:
        break;
    }
    // Busy or not permitted: no box (the port exists), but the status bar says what happened.
    setStatus(QStringLiteral("%1 \u2192 %2: cannot be opened (in use or no permission)")
                  .arg(name, device));
    return OpenOutcome::Failed;
}

bool PortController::Open_Port()
{
    if (!comportfile::write(comm_port))
        return false;
    m_link.close();
    openSteps();
    return true;
}

void PortController::chooseCom(int n)
{
    comm_port = qint16(n);
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
    comm_port = qint16(r);
    if (!Open_Port()) {
        m_prompter.message(msg::kFileAccessingError);
        return;
    }
    setTick(TickOther);
}

bool PortController::activate()
{
    Baud_Rate = 1200;
    const auto n = comportfile::read();
    if (!n)
        return false;
    comm_port = qint16(*n);
    setTick(*n >= 1 && *n <= 4 ? Tick(*n) : TickOther);
    if (m_link.isOpen())
        return false;
    return openSteps() == OpenOutcome::Opened;
}

bool PortController::openForRun(int portNumber)
{
    Baud_Rate = 1200;
    comm_port = qint16(portNumber);
    m_link.close();
    return openSteps() == OpenOutcome::Opened;
}

void PortController::applyLineSettings()
{
    Baud_Rate = 1200;
    if (m_link.isOpen())
        m_link.setLineSettings(Baud_Rate);
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
    ok_port = false;
    setStatus(QStringLiteral("COM%1: connection lost (%2)").arg(comm_port).arg(reason));
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
