#include "install/launch_sequence.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

LaunchSequence::Hooks LaunchSequence::systemHooks()
{
    Hooks h;
    h.start = [](const QString &program, const QString &workingDir) {
        return QProcess::startDetached(program, {}, workingDir);
    };
    h.report = [](const QString &text) {
        QMessageBox::warning(nullptr, kProgramTitle, text);
    };
    // Lets the window system deliver what is already queued (the new program's window among
    // it) before the next start; once only, never a loop.
    h.pause = [] { QCoreApplication::processEvents(); };
    return h;
}

LaunchSequence::LaunchSequence(QString folder, Hooks hooks)
    : m_folder(std::move(folder)), m_hooks(std::move(hooks))
{
}

QString LaunchSequence::driverPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("USB2UART/preinstaller.exe"));
}

QString LaunchSequence::setupPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("QTRN/setup.exe"));
}

QString LaunchSequence::notStartedText(const QString &program)
{
    const QFileInfo info(program);
    const QString why = !info.exists() ? QStringLiteral("The file is not on the installation medium.")
                                       : QStringLiteral("The file cannot be run on this computer.");
    return QStringLiteral("%1\ncould not be started.\n%2").arg(QDir::toNativeSeparators(program), why);
}

void LaunchSequence::run(bool usbCable, bool qtrn)
{
    if (usbCable) {
        launch(driverPath(m_folder));
        m_hooks.pause();
    }
    if (qtrn)
        launch(setupPath(m_folder));
}

void LaunchSequence::launch(const QString &program)
{
    // Nothing is checked beforehand: the start itself is the test, and its failure is reported.
    if (!m_hooks.start(QDir::toNativeSeparators(program), m_folder))
        m_hooks.report(notStartedText(program));
}
