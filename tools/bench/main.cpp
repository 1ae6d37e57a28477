// kestrun-bench: measures the program's hot paths against their targets.

#include "tools/bench/bench.h"
#include "tools/bench/child_run.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using bench::Figure;
using bench::Group;
using bench::Unit;

// A figure that misses its target by more than this fails --check; less is noise.
constexpr double kCheckLimit = 1.5;

double scale(Unit u)
{
    switch (u) {
    case Unit::Microseconds: return 1e6;
    case Unit::Milliseconds: return 1e3;
    case Unit::Seconds: return 1;
    case Unit::Megabytes: return 1.0 / (1 << 20);
    case Unit::Ratio: return 1;
    }
    return 1;
}

QString symbol(Unit u)
{
    switch (u) {
    case Unit::Microseconds: return QStringLiteral("µs");
    case Unit::Milliseconds: return QStringLiteral("ms");
    case Unit::Seconds: return QStringLiteral("s");
    case Unit::Megabytes: return QStringLiteral("MB");
    case Unit::Ratio: return QStringLiteral("x");
    }
    return {};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void print(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

struct Result
{
    bool failed = false;
    double ratio = 0;
};

// Runs a figure `runs` times (after one untimed warm-up run when `warmUp`) and prints its line.
Result measure(const Figure &f, int runs, bool warmUp)
{
    std::vector<double> seconds;
    for (int i = warmUp ? -1 : 0; i < runs; ++i) {
        bench::Stopwatch sw;
        f.run(sw);
        if (!sw.failure().isEmpty() || !sw.timed()) {
            const QString why = sw.timed() ? sw.failure() : QStringLiteral("nothing was timed");
            print(QStringLiteral("%1 FAILED: %2").arg(QLatin1String(f.name), -24).arg(why));
            return {true, 0};
        }
        if (i >= 0)
            seconds.push_back(sw.seconds());
    }
    const double value = median(seconds) * scale(f.unit);
    const double ratio = value / f.target;
    const char *verdict = ratio <= 1 ? "ok" : ratio <= kCheckLimit ? "over" : "MISS";
    print(QStringLiteral("%1 %2 %3  target %4 %5  ratio %6  %7")
              .arg(QLatin1String(f.name), -24)
              .arg(value, 10, 'f', 3)
              .arg(symbol(f.unit), -2)
              .arg(f.target, 5, 'g', 3)
              .arg(symbol(f.unit), -2)
              .arg(ratio, 5, 'f', 2)
              .arg(QLatin1String(verdict)));
    return {false, ratio};
}

QtMessageHandler g_qtMessages = nullptr;

// The offscreen platform's notice on every window shown (the Archive dialog's figure) says
// nothing about the figures; everything else Qt says is passed on.
void dropOffscreenNotice(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    g_qtMessages(type, context, text);
}

} // namespace

int main(int argc, char *argv[])
{
    // The peak memory of another program, measured from a process small enough not to count
    // (see child_run.h); nothing of Qt is started for it.
    if (argc > 2 && std::strcmp(argv[1], bench::kPeakOf) == 0)
        return bench::reportPeakOf(argv + 2);

    // No display needed; and a private runtime folder keeps Qt from warning about it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/kestrun-bench-runtime-") +
                                qEnvironmentVariable("USER", QStringLiteral("user"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    QApplication app(argc, argv); // widgets: the Archive dialog's figure
    g_qtMessages = qInstallMessageHandler(dropOffscreenNotice);
    QCoreApplication::setApplicationName(QStringLiteral("kestrun-bench"));

    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral(
        "Measures Kestrun's hot paths. One line per figure: name, median, unit, target, "
        "ratio median/target."));
    args.addHelpOption();
    const QCommandLineOption list(QStringLiteral("list"), QStringLiteral("List the figures."));
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Exit 1 when a figure misses its target by more than 50 %."));
    const QCommandLineOption quick(QStringLiteral("quick"),
                                   QStringLiteral("One run per figure, no warm-up (a smoke run)."));
    const QCommandLineOption runs(QStringLiteral("runs"),
                                  QStringLiteral("Runs per figure instead of its own count."),
                                  QStringLiteral("n"));
    const QCommandLineOption download(
        QStringLiteral("download"),
        QStringLiteral("Also measure the download at 1200 baud (about 5 minutes)."));
    const QCommandLineOption downloadFast(
        QStringLiteral("download-fast"),
        QStringLiteral("Also measure the download at 1200 bytes a second (about 30 s)."));
    const QCommandLineOption huge(
        QStringLiteral("huge"),
        QStringLiteral("Also measure the import of a 200 MB row file (about a minute, 1 GB of disk)."));
    const QCommandLineOption verify(
        QStringLiteral("verify"),
        QStringLiteral("Also measure the archive's check of 10,000 runs against sha256sum "
                       "(a few minutes, 300 MB of disk)."));
    args.addOptions({list, check, quick, runs, download, downloadFast, huge, verify});
    args.addPositionalArgument(QStringLiteral("filter"),
                               QStringLiteral("Run only figures whose name contains a filter."),
                               QStringLiteral("[filter...]"));
    args.process(app);

    const std::span<const Figure> all = bench::figures();
    if (args.isSet(list)) {
        for (const Figure &f : all) {
            const char *when = f.group == Group::Download       ? "  [--download]"
                               : f.group == Group::DownloadFast ? "  [--download-fast]"
                               : f.group == Group::Huge         ? "  [--huge]"
                               : f.group == Group::Verify       ? "  [--verify]"
                                                                : "";
            print(QStringLiteral("%1 ≤ %2 %3  %4%5")
                      .arg(QLatin1String(f.name), -24)
                      .arg(f.target, 5, 'g', 3)
                      .arg(symbol(f.unit), -2)
                      .arg(QString::fromUtf8(f.what))
                      .arg(QLatin1String(when)));
        }
        return 0;
    }

    int runCount = 0;
    if (args.isSet(runs)) {
        bool ok = false;
        runCount = args.value(runs).toInt(&ok);
        if (!ok || runCount < 1) {
            std::fprintf(stderr, "kestrun-bench: --runs needs a positive number\n");
            return 2;
        }
    }

    const QStringList filters = args.positionalArguments();
    std::vector<const Figure *> chosen;
    for (const Figure &f : all) {
        const bool inRun = f.group == Group::Default ||
                           (f.group == Group::Download && args.isSet(download)) ||
                           (f.group == Group::DownloadFast && args.isSet(downloadFast)) ||
                           (f.group == Group::Huge && args.isSet(huge)) ||
                           (f.group == Group::Verify && args.isSet(verify));
        const bool matches =
            filters.isEmpty() || std::any_of(filters.begin(), filters.end(), [&](const QString &p) {
                return QString::fromLatin1(f.name).contains(p);
            });
        if (inRun && matches)
            chosen.push_back(&f);
    }
    if (chosen.empty()) {
        std::fprintf(stderr, "kestrun-bench: no figure matches; see --list\n");
        return 2;
    }

    int failed = 0;
    int missed = 0;
    for (const Figure *f : chosen) {
        const bool slow = f->group != Group::Default;
        const int n = slow ? f->runs : args.isSet(quick) ? 1 : runCount > 0 ? runCount : f->runs;
        const Result r = measure(*f, n, !slow && !args.isSet(quick));
        failed += r.failed;
        missed += !r.failed && r.ratio > kCheckLimit;
    }
    if (failed > 0) {
        std::fprintf(stderr, "kestrun-bench: %d figure(s) failed to run\n", failed);
        return 2;
    }
    if (args.isSet(check) && missed > 0) {
        std::fprintf(stderr, "kestrun-bench: %d figure(s) miss their target by more than 50 %%\n",
                     missed);
        return 1;
    }
    return 0;
}
