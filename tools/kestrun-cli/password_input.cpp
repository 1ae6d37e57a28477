#include "tools/kestrun-cli/password_input.h"

#include "tools/kestrun-cli/console.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string.h> // explicit_bzero

namespace passwordinput {

namespace {

// Longer lines are no password anyone types; a buffer never grown leaves no copy behind.
constexpr qsizetype kMost = 1024;

// Byte by byte up to the line's end, so nothing after it is read (and kept) by anyone.
std::optional<QByteArray> readLine(int fd)
{
    QByteArray line;
    line.reserve(kMost);
    bool any = false;
    while (line.size() < kMost) {
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        any = true;
        if (c == '\n')
            break;
        line.append(c);
        c = 0;
    }
    if (line.endsWith('\r'))
        line.chop(1);
    if (!any) {
        explicit_bzero(line.data(), size_t(line.capacity()));
        return std::nullopt;
    }
    return line;
}

} // namespace

std::optional<QByteArray> fromStandardInput()
{
    return readLine(STDIN_FILENO);
}

std::optional<QByteArray> fromTerminal(const QByteArray &prompt)
{
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    termios before{};
    if (tcgetattr(STDIN_FILENO, &before) != 0)
        return std::nullopt;
    termios quiet = before;
    quiet.c_lflag &= tcflag_t(~(ECHO | ECHONL));
    quiet.c_lflag |= ICANON;
    console::err(prompt);
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0)
        return std::nullopt;
    std::optional<QByteArray> line = readLine(STDIN_FILENO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
    console::err("\n"); // the line end the user typed was not echoed
    return line;
}

} // namespace passwordinput
