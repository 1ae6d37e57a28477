#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace archive {

// Ends a command that a server does not answer in time. libpq waits for a reply without any
// limit of its own, and a server whose process stalls (or a link that keeps the connection
// open and forwards nothing) is never noticed by TCP keepalives or a user timeout, since its
// computer still acknowledges every packet. Past the deadline the connection's socket is shut
// down from a thread of this object's own, so libpq's wait returns with an error.
class CommandDeadline
{
public:
    CommandDeadline() = default;
    ~CommandDeadline();
    CommandDeadline(const CommandDeadline &) = delete;
    CommandDeadline &operator=(const CommandDeadline &) = delete;

    // Starts the clock for `socket` (a connected socket's descriptor).
    void arm(int socket, std::chrono::milliseconds within);
    // Stops it; true when it had run out and the socket was shut down.
    bool disarm();
    // True when the deadline ran out since it was armed (the connection is gone).
    bool expired() const;

private:
    void watch();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::chrono::steady_clock::time_point m_due;
    int m_socket = -1; // armed when not -1
    bool m_expired = false;
    bool m_stop = false;
    std::thread m_thread; // started at the first arm()
};

} // namespace archive
