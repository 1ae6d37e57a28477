#include "tests/fuzz/fuzz_target.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <cstdlib>

namespace fuzz {
namespace {

QByteArray g_current;
QSet<QByteArray> g_seeds;

// Where the input that failed is kept: the working folder of the run, named after the target.
QByteArray crashFileName()
{
    const QByteArray exe = QCoreApplication::instance()
                               ? QCoreApplication::applicationName().toLocal8Bit()
                               : QByteArray("fuzz");
    return "crash-input-" + exe + ".bin";
}

void keepInput()
{
    QFile f(QString::fromLocal8Bit(crashFileName()));
    if (f.open(QIODevice::WriteOnly))
        f.write(g_current);
    std::fprintf(stderr, "fuzz: the input (%lld bytes) is in %s; run the target with it as "
                         "argument to replay it\n",
                 static_cast<long long>(g_current.size()), crashFileName().constData());
}

// The sanitizers call this before they end the process, so their reports come with the input.
extern "C" void sanitizerDeath() { keepInput(); }

} // namespace

void fail(const char *expr, const char *file, int line, const QByteArray &what)
{
    std::fprintf(stderr, "fuzz: check failed at %s:%d: %s\n  %s\n", file, line, expr,
                 what.constData());
    keepInput();
    std::abort();
}

void setCurrentInput(const std::uint8_t *data, std::size_t size)
{
    g_current = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

bool isSeed(const QByteArray &input) { return g_seeds.contains(input); }

void setSeeds(const QList<QByteArray> &seeds)
{
    g_seeds = QSet<QByteArray>(seeds.cbegin(), seeds.cend());
}

void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kestrun-fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the process
}

} // namespace fuzz

extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::ensureApplication();
    if (argc && argv && *argc > 0)
        QCoreApplication::setApplicationName(
            QFileInfo(QString::fromLocal8Bit((*argv)[0])).fileName());
    if (&__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(fuzz::sanitizerDeath);
    return 0;
}
