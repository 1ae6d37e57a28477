#include "tools/kestrun-cli/cli_host.h"

#include "common/messages.h"

CliHost::CliHost()
{
    QObject::connect(&m_link, &SerialLink::lost, &m_port, &PortController::portLost);
}

bool CliHost::openPort(int portNumber, QString *why)
{
    m_prompter.clear();
    if (m_port.openForRun(portNumber))
        return true;
    // What the window's device commands answer on a port that is not open. A port that maps to
    // nothing has said so in its message box; for one that exists but cannot be opened (busy,
    // no permission) the status text the window shows in its status bar says why.
    *why = msg::kInvalidPort;
    if (m_prompter.messages().isEmpty())
        *why += QLatin1Char('\n') + m_port.statusText();
    return false;
}

QString CliHost::messages() const { return m_prompter.messages().join(QLatin1Char('\n')); }

QString CliHost::failureText() const
{
    const QString told = messages();
    return told.isEmpty() ? m_port.statusText() : told;
}
