#pragma once

#include "common/prompter.h"
#include "device/device_host.h"
#include "tests/support/fake_serial_link.h"

// The main window as the device commands see it: an open fake port, a scripted prompter, and a
// record of the enabling and the hourglass.
class FakeHost : public DeviceHost
{
public:
    FakeHost() { port.open(QStringLiteral("/dev/fake1"), 1200); }

    SerialLink &link() override { return port; }
    bool okPort() const override { return ok; }
    Prompter &prompter() override { return prompts; }
    void Dsb_Controls() override
    {
        enabled = false;
        ++disables;
    }
    void Enb_Controls() override
    {
        enabled = true;
        ++enables;
    }
    void setBusy(bool b) override { busy += b ? 1 : -1; }

    FakeSerialLink port;
    ScriptedPrompter prompts;
    bool ok = true;
    bool enabled = true;
    int disables = 0;
    int enables = 0;
    int busy = 0; // hourglass requests not yet given back
};
