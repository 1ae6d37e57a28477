#include "tools/kestrun-cli/interrupt_watch.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The handler may only do async-signal-safe things: it writes one byte to a socket that the
// event loop watches.
int g_fds[2] = {-1, -1};
struct sigaction g_oldInt;
struct sigaction g_oldTerm;

extern "C" void onSignal(int)
{
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &b, 1);
}
} // namespace

InterruptWatch::InterruptWatch(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0)
        return;
    ::fcntl(g_fds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_fds[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptWatch::onReadable);
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, &g_oldInt);
    ::sigaction(SIGTERM, &sa, &g_oldTerm);
}

InterruptWatch::~InterruptWatch()
{
    if (!m_notifier)
        return;
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    delete m_notifier;
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}

void InterruptWatch::onReadable()
{
    char buf[16];
    while (::read(g_fds[1], buf, sizeof buf) > 0) {
    }
    Q_EMIT interrupted();
}

#else

// Elsewhere the system's default handling ends the program; what was printed stays printed.
InterruptWatch::InterruptWatch(QObject *parent) : QObject(parent) {}
InterruptWatch::~InterruptWatch() = default;
void InterruptWatch::onReadable() {}

#endif
