#pragma once

// Runs the built kestrun-cli as a user would, while this process's event loop keeps turning
// (the simulated logger lives in the test process and answers only then).

#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QStringList>

namespace clitest {

struct Result
{
    bool finished = false;
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QByteArray out;
    QByteArray err;

    QString outText() const { return QString::fromUtf8(out); }
    QString errText() const { return QString::fromUtf8(err); }
    // Exit status 0 from a normal exit.
    bool ok() const { return finished && exitStatus == QProcess::NormalExit && exitCode == 0; }
};

// The environment of every run: this process's, without anything that would give the program a
// display, so a run also shows that none is needed.
inline QProcessEnvironment environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    return env;
}

inline void start(QProcess &p, const QStringList &args,
                  const QProcessEnvironment &env = environment())
{
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTRUN_CLI), args);
}

// Waits for a started process to end (at most `timeoutMs`) and collects what it wrote.
inline Result finish(QProcess &p, int timeoutMs)
{
    Result r;
    if (p.state() != QProcess::NotRunning) {
        QSignalSpy done(&p, &QProcess::finished);
        r.finished = done.wait(timeoutMs) || done.count() > 0;
        if (!r.finished) {
            p.kill();
            p.waitForFinished(5000);
        }
    } else {
        r.finished = p.error() != QProcess::FailedToStart;
    }
    r.exitCode = p.exitCode();
    r.exitStatus = p.exitStatus();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline Result run(const QStringList &args, int timeoutMs = 30000,
                  const QProcessEnvironment &env = environment())
{
    QProcess p;
    start(p, args, env);
    return finish(p, timeoutMs);
}

} // namespace clitest
