#include "app/about/sys_info.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <cstring>
#endif

namespace sysinfo {

#ifdef Q_OS_WIN
bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                 QString &KeyVal)
{
    KeyVal.clear();
    // Root keys are sign-extended 32-bit values (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 on
    // 64-bit Windows).
    const HKEY root = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(KeyRoot)));
    HKEY key = nullptr;
    // Read access only: asking for full access on the machine-wide root is refused to ordinary
    // users, and the button would then never find the program.
    if (RegOpenKeyExW(root, reinterpret_cast<LPCWSTR>(KeyName.utf16()), 0, KEY_READ, &key)
        != ERROR_SUCCESS)
        return false;
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    const LONG rc = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(SubKeyRef.utf16()), nullptr,
                                     &type, reinterpret_cast<LPBYTE>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return false;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        const QString text = QString::fromWCharArray(buffer, qsizetype(size / sizeof(wchar_t)));
        const qsizetype nul = text.indexOf(QChar(u'\0'));
        KeyVal = nul >= 0 ? text.left(nul) : text;
        return true;
    }
    if (type == REG_DWORD && size >= sizeof(DWORD)) {
        DWORD value = 0;
        std::memcpy(&value, buffer, sizeof value);
        KeyVal = QString::number(value);
        return true;
    }
    return false;
}
#else
bool GetKeyValue(quint32, const QString &, const QString &, QString &KeyVal)
{
    KeyVal.clear();
    return false;
}
#endif

Tools Tools::platform()
{
    Tools t;
    t.readKey = &GetKeyValue;
    t.fileExists = [](const QString &path) { return QFileInfo(path).isFile(); };
    t.findExecutable = [](const QString &name) { return QStandardPaths::findExecutable(name); };
    t.start = [](const QString &program) { return QProcess::startDetached(program, {}); };
#ifdef Q_OS_WIN
    t.hasRegistry = true;
#endif
    return t;
}

const QStringList &desktopPrograms()
{
    static const QStringList programs{
        QStringLiteral("hardinfo2"),  QStringLiteral("hardinfo"),
        QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor"),
    };
    return programs;
}

QString locate(const Tools &tools)
{
    if (tools.hasRegistry) {
        QString value;
        if (tools.readKey(HKEY_LOCAL_MACHINE_ROOT,
                          QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                          QStringLiteral("PATH"), value)
            && !value.isEmpty())
            return value;
        if (tools.readKey(HKEY_LOCAL_MACHINE_ROOT,
                          QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                          QStringLiteral("MSINFO"), value)
            && !value.isEmpty()) {
            const QString program = value + QStringLiteral("\\MSINFO32.EXE");
            if (tools.fileExists(program))
                return program;
        }
        return QString();
    }
    for (const QString &name : desktopPrograms()) {
        const QString path = tools.findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

} // namespace sysinfo
