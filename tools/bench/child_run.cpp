#include "tools/bench/child_run.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace bench {

int reportPeakOf(char **argv)
{
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        std::fprintf(stderr, "%s: cannot be started\n", argv[0]);
        return 2;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return 2;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const int exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%d %ld %.6f\n", exit, usage.ru_maxrss, took.count());
    return 0;
}

ChildRun runMeasured(const QString &program, const QStringList &arguments,
                     const std::vector<std::pair<QByteArray, QByteArray>> &environment)
{
    ChildRun out;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : environment)
        env.insert(QString::fromLocal8Bit(name), QString::fromLocal8Bit(value));
    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationFilePath(),
                 QStringList{QString::fromLatin1(kPeakOf), program} + arguments);
    if (!helper.waitForFinished(-1) || helper.exitCode() != 0) {
        out.error = QStringLiteral("%1 could not be run: %2")
                        .arg(program, QString::fromLocal8Bit(helper.readAllStandardError()));
        return out;
    }
    const QList<QByteArray> fields = helper.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3) {
        out.error = QStringLiteral("the helper said nothing about %1").arg(program);
        return out;
    }
    const int exit = fields[0].toInt();
    out.peakBytes = fields[1].toDouble() * 1024;
    out.seconds = fields[2].toDouble();
    out.ok = exit == 0;
    if (!out.ok)
        out.error = QStringLiteral("%1 exited with status %2").arg(program).arg(exit);
    return out;
}

} // namespace bench
