#pragma once

class SerialLink;
class Prompter;

// What the device dialogs and the data window need of the main window: its one port, the
// enabling of the device commands, the busy pointer and the message boxes. The main window
// implements it; tests use a small fake.
class DeviceHost
{
public:
    virtual ~DeviceHost() = default;

    virtual SerialLink &link() = 0;
    virtual bool okPort() const = 0;
    virtual Prompter &prompter() = 0;

    // Disable / enable the device commands (the enabling table of the main window).
    virtual void Dsb_Controls() = 0;
    virtual void Enb_Controls() = 0;
    // The hourglass on the main window while an exchange runs.
    virtual void setBusy(bool busy) = 0;
};
