#pragma once

#include <QObject>
#include <QString>

#include <optional>

class SerialLink;
class Prompter;

// The choice of serial port and the one open port: the port number `comm_port`, the line speed
// `Baud_Rate`, the flag `ok_port` every device command tests, Comport.txt, and which entry of the
// Comm Port menu carries the tick. The main window's menu handlers and its activation call in
// here; the window only mirrors the tick and the status text.
class PortController : public QObject
{
    Q_OBJECT
public:
    // Which Comm Port entry is ticked: none, COM1..COM4, or Other.
    enum Tick { TickNone = 0, TickCom1 = 1, TickCom2, TickCom3, TickCom4, TickOther = 5 };

    PortController(SerialLink &link, Prompter &prompter, QObject *parent = nullptr);

    qint16 comm_port() const { return m_commPort; }
    // True exactly while the port is open, so a command that tests it never writes to a closed
    // port and never stays silent: a port that could not be opened (missing, busy, not
    // permitted) or that went away reads false.
    bool ok_port() const;
    qint16 Baud_Rate() const { return m_baudRate; }

    Tick tick() const { return m_tick; }
    // "COM3 → /dev/ttyUSB0", with a word on what happened when it could not be opened.
    QString statusText() const { return m_status; }

    // Writes Comport.txt, then closes and reopens the port with comm_port and Baud_Rate.
    // False only when Comport.txt could not be written (the port is then left as it was).
    bool Open_Port();
    // Menu COM1..COM4.
    void chooseCom(int n);
    // Menu Other, with the answer of the input box (nullopt for Cancel).
    void chooseOther(const std::optional<QString> &answer);
    // Activation of the main window: reads Comport.txt and opens that port unless a port is
    // open already. True when this activation opened the port.
    bool activate();
    // Opens port `portNumber` for one run of a program that names its port each time (the
    // command-line tool): the same steps, messages and status text as the activation's open,
    // but Comport.txt is neither read nor written, so the window's remembered choice stays as
    // it was. True when the port is open.
    bool openForRun(int portNumber);
    // Applies the line settings to the open port again (the model entry of the Setting menu).
    void applyLineSettings();
    // Exit: break on, then close.
    void shutDown(bool withBreak);
    // The open port went away: it is closed, so ok_port is false; the status bar says so.
    void portLost(const QString &reason);

Q_SIGNALS:
    void tickChanged(int tick);
    void statusChanged(const QString &text);

private:
    // Opens comm_port; false when it could not be opened (the status text says why).
    bool openSteps();
    void setTick(Tick t);
    void setStatus(const QString &s);

    SerialLink &m_link;
    Prompter &m_prompter;
    qint16 m_commPort = 0;
    qint16 m_baudRate = 1200;
    Tick m_tick = TickNone;
    QString m_status;
};
