#include "tools/kestrun-cli/console.h"

#include "common/messages.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace console {

namespace {
void write(FILE *f, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    std::fflush(f);
}
} // namespace

void out(const QByteArray &bytes) { write(stdout, bytes); }
void outLine(const QString &line) { write(stdout, line.toUtf8() + '\n'); }
void err(const QByteArray &bytes) { write(stderr, bytes); }
void errLine(const QString &line) { write(stderr, line.toUtf8() + '\n'); }

int fail(const QString &text)
{
    errLine(text);
    return 1;
}

int fail(const QString &text, const QString &reason)
{
    return fail(msg::withReason(text, reason));
}

bool errIsTerminal() { return isatty(fileno(stderr)) != 0; }

} // namespace console
