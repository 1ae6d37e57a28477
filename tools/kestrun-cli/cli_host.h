#pragma once

#include "common/prompter.h"
#include "device/device_host.h"
#include "device/port_controller.h"
#include "device/qt_serial_link.h"

#include <QString>

// The main window as the device commands see it, for a program without windows: the real
// serial port opened by the window's port rules, and a prompter that keeps the message boxes
// so the command line can print them. There are no commands to disable and no pointer to turn
// into an hourglass.
class CliHost final : public DeviceHost
{
public:
    CliHost();

    // Opens port `portNumber` (KESTRUN_COM<n>, else the n-th serial device). On failure `why`
    // gets what the user is told, and nothing has been sent.
    bool openPort(int portNumber, QString *why);

    SerialLink &link() override { return m_link; }
    bool okPort() const override { return m_port.ok_port(); }
    Prompter &prompter() override { return m_prompter; }
    void Dsb_Controls() override {}
    void Enb_Controls() override {}
    void setBusy(bool) override {}

    // What a failed run tells the user: its message boxes, or, when the port went away and
    // nothing else was said, the status text that says so.
    QString failureText() const;

private:
    // The texts of the message boxes shown so far, one a line.
    QString messages() const;

    QtSerialLink m_link;
    ScriptedPrompter m_prompter;
    PortController m_port{m_link, m_prompter};
};
