#pragma once

// End-to-end fixture: a simulated logger on a pseudo-terminal, and the real main window talking
// to it through the real serial port, with scripted message boxes.
//
//   e2e::Fixture f;                        // one per test function (init/cleanup)
//   f.sim().state().serial = 45;           // set the logger up ...
//   f.sim().faults().silentFrames = -1;    // ... and its misbehaviour, if any
//   QVERIFY2(f.start(), qPrintable(f.why()));
//   f.prompter().yesNoAnswers = {true};
//   f.toolbar("StopDevice");               // or f.menu("StopDevice")
//   QTRY_COMPARE_WITH_TIMEOUT(f.prompter().messages(), QStringList{msg::kDeviceIsStopped}, 8000);
//   QVERIFY(f.deviceCommandsEnabled());
//
// The simulator answers at full speed (setPace(0)) with its clock standing still (setSpeed(0))
// unless the test says otherwise before start(). The program's own waits run at their real
// lengths, so a test waits with QTRY_* for what the user would see.

#include "app/frm_main.h"
#include "app/wiring.h"
#include "common/prompter.h"
#include "device/comport_file.h"
#include "tools/logger-sim/logger_sim.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <memory>

namespace e2e {

// A logger enabled as "0045 06 05 13" at `location`, set to log every `minutes` minutes.
inline void enableLogger(loggersim::LoggerState &s, const QByteArray &location, int minutes)
{
    s.serial = 45;
    s.idBytes = {6, 5, 13};
    s.setLocation(location);
    s.intervalUnit = 'M';
    s.intervalCount = minutes;
}

class Fixture
{
public:
    // `portNumber` is the number the program knows the logger's port by (Comport.txt and the
    // KESTRUN_COM<n> variable).
    explicit Fixture(int portNumber = 1)
        : m_portNumber(portNumber), m_sim(std::make_unique<loggersim::LoggerSim>())
    {
        m_sim->setPace(0);
        m_sim->setSpeed(0);
    }
    ~Fixture()
    {
        // The window first: it closes its port before the line goes away.
        m_main.reset();
        m_sim.reset();
        qunsetenv(envName().constData());
        comportfile::setFolder(QString());
    }
    Fixture(const Fixture &) = delete;
    Fixture &operator=(const Fixture &) = delete;

    loggersim::LoggerSim &sim() { return *m_sim; }
    ScriptedPrompter &prompter() { return m_prompter; }
    FrmMain &main() { return *m_main; }
    QString why() const { return m_why; }

    // Opens the simulator, points port `portNumber` at it, writes Comport.txt, creates the main
    // window with the real serial link, wires every command and runs the activation. True when
    // the port is open and usable.
    bool start()
    {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        if (m_reconnectable && !m_sim->createLink(linkPath(), &m_why))
            return false;
        if (!m_sim->open(&m_why))
            return false;
        qputenv(envName().constData(),
                (m_reconnectable ? linkPath() : m_sim->slavePath()).toLocal8Bit());
        comportfile::setFolder(m_dir.path());
        if (!comportfile::write(m_portNumber))
            return fail(QStringLiteral("Comport.txt could not be written"));
        m_main = std::make_unique<FrmMain>(nullptr, &m_prompter);
        wiring::wireAll(*m_main);
        m_main->Activation();
        if (!m_main->ok_port())
            return fail(QStringLiteral("the port %1 did not open").arg(m_sim->slavePath()));
        return true;
    }

    // Before start(): the program knows the logger by a link that follows the simulator when
    // its line is closed and opened again, as a logger keeps its port name when its cable is
    // pulled and plugged back in.
    void useReconnectableLink() { m_reconnectable = true; }
    // The cable pulled: the line drops under the open port.
    void pullCable() { m_sim->close(); }
    // And plugged back in: the same logger on the same port name.
    bool plugBackIn() { return m_sim->open(&m_why); }

    // A click on a main-toolbar button by key, or on a menu entry by object name. A disabled
    // command does nothing, as for the user. False when there is no such command.
    bool toolbar(const QString &key)
    {
        QAction *a = m_main->toolbarAction(key);
        if (a)
            a->trigger();
        return a;
    }
    bool menu(const QString &name)
    {
        QAction *a = m_main->menuAction(name);
        if (a)
            a->trigger();
        return a;
    }

    // All of the main window's device commands enabled (true) or all disabled (false).
    bool deviceCommands(bool enabled) const
    {
        for (const char *key : {"ReadData", "RealTime", "DeviceTime", "IdentyDevice",
                                "StartDevice", "StopDevice", "ClearStop"})
            if (m_main->toolbarAction(QLatin1String(key))->isEnabled() != enabled)
                return false;
        for (const char *name : {"data", "Device", "Setting"})
            if (m_main->menu(QLatin1String(name))->menuAction()->isEnabled() != enabled)
                return false;
        return true;
    }
    bool deviceCommandsEnabled() const { return deviceCommands(true); }
    bool deviceCommandsDisabled() const { return deviceCommands(false); }

    // The last message box shown (kind "message"), or an empty record.
    ScriptedPrompter::Shown lastMessage() const
    {
        for (auto it = m_prompter.shown.crbegin(); it != m_prompter.shown.crend(); ++it)
            if (it->kind == QLatin1String("message"))
                return *it;
        return {};
    }

private:
    QByteArray envName() const { return "KESTRUN_COM" + QByteArray::number(m_portNumber); }
    // Unique per process and fixture: the serial port's lock file is named after it.
    QString linkPath() const
    {
        return m_dir.filePath(QStringLiteral("ttyKestrun%1-%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(quintptr(this), 0, 16));
    }
    bool fail(const QString &why)
    {
        m_why = why;
        return false;
    }

    int m_portNumber;
    QTemporaryDir m_dir;
    std::unique_ptr<loggersim::LoggerSim> m_sim;
    ScriptedPrompter m_prompter;
    std::unique_ptr<FrmMain> m_main;
    QString m_why;
    bool m_reconnectable = false;
};

} // namespace e2e
