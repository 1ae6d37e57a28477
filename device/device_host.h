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

// One holder's share of the main window's hourglass. The window counts the requests, so each
// holder asks and gives back exactly once however often it repeats itself.
class BusyShare
{
public:
    explicit BusyShare(DeviceHost &host) : m_host(host) {}
    void set(bool busy)
    {
        if (busy == m_busy)
            return;
        m_busy = busy;
        m_host.setBusy(busy);
    }
    bool isSet() const { return m_busy; }

private:
    DeviceHost &m_host;
    bool m_busy = false;
};
