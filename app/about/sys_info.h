#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// Finding and starting the platform's system-information program for the About box.
namespace sysinfo {

// Root keys of the Windows registry, as the registry API numbers them.
inline constexpr quint32 HKEY_LOCAL_MACHINE_ROOT = 0x80000002u;

// Reads the value `SubKeyRef` of the registry key `KeyName` under `KeyRoot` into `KeyVal`: a
// string value up to its terminating zero, a 32-bit number as its decimal text. False, with
// `KeyVal` empty, on any failure and on systems without a registry. The key is opened for
// reading only and closed in every case.
bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                 QString &KeyVal);

// What finding and starting the program needs from the system; tests replace any of them.
struct Tools
{
    std::function<bool(quint32, const QString &, const QString &, QString &)> readKey;
    std::function<bool(const QString &)> fileExists;
    std::function<QString(const QString &)> findExecutable; // empty when not on PATH
    std::function<bool(const QString &)> start;            // detached, in a normal window
    bool hasRegistry = false;

    // The real registry, file system, PATH lookup and process start of this system.
    static Tools platform();
};

// Programs looked for on PATH where there is no registry, best first.
const QStringList &desktopPrograms();

// The program to run, or an empty text when there is none. With a registry: the program named
// under "SOFTWARE\Microsoft\Shared Tools\MSINFO" value "PATH", else "MSINFO32.EXE" in the
// folder named under "SOFTWARE\Microsoft\Shared Tools Location" value "MSINFO" if that file
// exists. Without one: the first of desktopPrograms() found on PATH.
QString locate(const Tools &tools);

} // namespace sysinfo
