#include "tools/logger-sim/logger_sim.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace loggersim {

namespace {

// A partial frame older than this is stale: the program writes a frame in one go, and at
// 1200 baud six bytes take 50 ms.
constexpr qint64 kFrameGapMs = 250;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

LoggerSim::LoggerSim(QObject *parent) : QObject(parent)
{
    m_core.setChangeHandler([this] { Q_EMIT stateChanged(); });
    m_clockTimer.setInterval(200);
    connect(&m_clockTimer, &QTimer::timeout, this, &LoggerSim::onClockTick);
    m_paceTimer.setInterval(20);
    connect(&m_paceTimer, &QTimer::timeout, this, &LoggerSim::pump);
    m_pauseTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, [this] {
        m_paceWatch.start();
        m_pacedSent = 0;
        pump();
    });
    m_clockWatch.start();
    m_clockTimer.start();
}

LoggerSim::~LoggerSim() { close(); }

bool LoggerSim::open(QString *error)
{
    close();
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        close();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(systemError("posix_openpt"));
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(systemError("grantpt/unlockpt"));
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail(systemError("ptsname_r"));
    m_slavePath = QString::fromLocal8Bit(name);

    // Holding the slave open keeps the line up while the program closes and reopens its port,
    // and lets the line discipline be raw before the program ever looks at it.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0)
        return fail(systemError("open slave"));
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B1200);
        ::cfsetospeed(&tio, B1200);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &LoggerSim::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        m_writeNotifier->setEnabled(false);
        pump();
    });
    if (!m_linkPath.isEmpty())
        createLink(m_linkPath);
    return true;
}

void LoggerSim::close()
{
    stopSending();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
    removeLink();
    m_slavePath.clear();
}

bool LoggerSim::createLink(const QString &path, QString *error)
{
    const QFileInfo fi(path);
    if (fi.exists() && !fi.isSymLink()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
        return false;
    }
    if (fi.isSymLink())
        ::unlink(QFile::encodeName(path).constData());
    m_linkPath = path;
    if (m_slavePath.isEmpty())
        return true; // made when the pty opens
    if (::symlink(QFile::encodeName(m_slavePath).constData(), QFile::encodeName(path).constData()) != 0) {
        if (error)
            *error = systemError("symlink");
        return false;
    }
    return true;
}

void LoggerSim::removeLink()
{
    if (m_linkPath.isEmpty() || m_slavePath.isEmpty())
        return;
    // Only our own link: another simulator may have taken the name since.
    const QFileInfo fi(m_linkPath);
    if (fi.isSymLink() && fi.symLinkTarget() == m_slavePath)
        ::unlink(QFile::encodeName(m_linkPath).constData());
}

void LoggerSim::setPace(int bytesPerSecond)
{
    m_pace = std::max(bytesPerSecond, 0);
    m_paceWatch.start();
    m_pacedSent = 0;
}

void LoggerSim::setSpeed(double factor)
{
    syncClock();
    m_speed = std::max(factor, 0.0);
}

void LoggerSim::advanceClock(qint64 seconds)
{
    syncClock();
    m_core.advance(seconds);
}

void LoggerSim::syncClock()
{
    const qint64 ms = m_clockWatch.restart();
    m_msCarry += double(ms) * m_speed;
    const double whole = std::floor(m_msCarry / 1000.0);
    if (whole >= 1.0) {
        m_msCarry -= whole * 1000.0;
        m_core.advance(qint64(whole));
    }
}

void LoggerSim::onClockTick()
{
    syncClock();
    // A program killed while holding the port leaves it marked exclusive; the next one could
    // not open it. Nothing else uses the flag on a simulated line.
    if (m_slave >= 0)
        ::ioctl(m_slave, TIOCNXCL);
}

void LoggerSim::onReadable()
{
    QByteArray in;
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            in.append(buf, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN, or nothing more
    }
    if (in.isEmpty())
        return;
    if (m_lastInput.isValid() && m_lastInput.elapsed() > kFrameGapMs)
        m_core.discardPartialFrame();
    m_lastInput.start();

    syncClock();
    const QList<Exchange> exchanges = m_core.receive(in);
    for (const Exchange &ex : exchanges) {
        Q_EMIT frameReceived(ex.frame, ex.kind);
        // A new command interrupts a reply still on its way, like a logger that restarts its
        // answer on every command; the program has discarded the old bytes anyway.
        if (!ex.reply.isEmpty())
            startReply(ex);
    }
}

void LoggerSim::stopSending()
{
    m_queue.clear();
    m_pieceSent = 0;
    m_hangUpWhenSent = false;
    m_sendingKind = ReplyKind::None;
    m_paceTimer.stop();
    m_pauseTimer.stop();
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void LoggerSim::startReply(const Exchange &ex)
{
    stopSending();
    m_sendingKind = ex.kind;
    QByteArray bytes = ex.reply;
    Faults &f = m_core.faults();
    if (ex.kind == ReplyKind::Image && f.hangUpAfterImageBytes >= 0) {
        bytes.truncate(f.hangUpAfterImageBytes);
        f.hangUpAfterImageBytes = -1;
        m_hangUpWhenSent = true;
    }
    if (ex.kind == ReplyKind::Image && f.imagePieceBytes > 0) {
        for (qsizetype at = 0; at < bytes.size(); at += f.imagePieceBytes)
            m_queue.append({bytes.mid(at, f.imagePieceBytes), at == 0 ? 0 : f.imageGapMs});
    } else {
        m_queue.append({bytes, 0});
    }
    m_paceWatch.start();
    m_pacedSent = 0;
    pump();
}

void LoggerSim::pump()
{
    while (!m_queue.isEmpty() && m_master >= 0) {
        Piece &piece = m_queue.first();
        if (piece.pauseBeforeMs > 0 && m_pieceSent == 0) {
            m_paceTimer.stop();
            m_pauseTimer.start(piece.pauseBeforeMs);
            piece.pauseBeforeMs = 0;
            return;
        }
        qint64 allowed = piece.bytes.size() - m_pieceSent;
        if (m_pace > 0) {
            const qint64 budget = m_paceWatch.elapsed() * m_pace / 1000 + 1 - m_pacedSent;
            allowed = std::min(allowed, budget);
            if (allowed <= 0) {
                if (!m_paceTimer.isActive())
                    m_paceTimer.start();
                return;
            }
        }
        const ssize_t n = ::write(m_master, piece.bytes.constData() + m_pieceSent, size_t(allowed));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                m_writeNotifier->setEnabled(true); // the program is not reading; wait for room
                return;
            }
            stopSending();
            return;
        }
        m_pieceSent += n;
        m_pacedSent += n;
        m_bytesSent += n;
        if (m_pieceSent >= piece.bytes.size()) {
            m_queue.removeFirst();
            m_pieceSent = 0;
        }
    }
    m_paceTimer.stop();
    if (m_queue.isEmpty() && m_sendingKind != ReplyKind::None) {
        const ReplyKind kind = m_sendingKind;
        const bool hang = m_hangUpWhenSent;
        m_sendingKind = ReplyKind::None;
        m_hangUpWhenSent = false;
        if (hang)
            hangUpWhenDrained(QDeadlineTimer(1000));
        else
            Q_EMIT replySent(kind);
    }
}

void LoggerSim::hangUpWhenDrained(QDeadlineTimer deadline)
{
    // Closing the master throws away whatever the slave has not read yet, so the line drops
    // only once the program has taken the bytes sent before it (or after a second).
    int queued = 0;
    if (m_slave >= 0 && ::ioctl(m_slave, TIOCINQ, &queued) == 0 && queued > 0 && !deadline.hasExpired()) {
        QTimer::singleShot(10, this, [this, deadline] { hangUpWhenDrained(deadline); });
        return;
    }
    hangUp();
}

void LoggerSim::hangUp()
{
    if (!isOpen())
        return;
    close(); // the link name is kept, so a reopen puts the link back
    Q_EMIT hungUp();
}

} // namespace loggersim
