#include "archive/command_deadline.h"

#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace archive {
namespace {

void shutDown(int socket)
{
#ifdef _WIN32
    ::shutdown(SOCKET(socket), SD_BOTH);
#else
    ::shutdown(socket, SHUT_RDWR);
#endif
}

} // namespace

CommandDeadline::~CommandDeadline()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CommandDeadline::arm(int socket, std::chrono::milliseconds within)
{
    {
        const std::lock_guard lock(m_mutex);
        m_socket = socket;
        m_due = std::chrono::steady_clock::now() + within;
        m_expired = false;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { watch(); });
    }
    m_changed.notify_all();
}

bool CommandDeadline::disarm()
{
    const std::lock_guard lock(m_mutex);
    m_socket = -1;
    return std::exchange(m_expired, false);
}

bool CommandDeadline::expired() const
{
    const std::lock_guard lock(m_mutex);
    return m_expired;
}

void CommandDeadline::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_socket < 0) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, m_due) == std::cv_status::timeout && m_socket >= 0 &&
            std::chrono::steady_clock::now() >= m_due) {
            // Under the lock: disarm() either comes before (nothing shut) or learns of it.
            shutDown(m_socket);
            m_socket = -1;
            m_expired = true;
        }
    }
}

} // namespace archive
