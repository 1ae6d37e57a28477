#include "tools/kestrun-cli/cli_host.h"

CliHost::CliHost()
{
    QObject::connect(&m_link, &SerialLink::lost, &m_port, &PortController::portLost);
}

bool CliHost::openPort(int portNumber, QString *why)
{
    m_prompter.clear();
    if (m_port.openForRun(portNumber))
        return true;
    // A port that maps to nothing has its message box; one that exists but cannot be opened
    // (busy, no permission) only has the status text the window shows in its status bar.
    *why = failureText();
    return false;
}

QString CliHost::messages() const { return m_prompter.messages().join(QLatin1Char('\n')); }

QString CliHost::failureText() const
{
    const QString told = messages();
    return told.isEmpty() ? m_port.statusText() : told;
}
