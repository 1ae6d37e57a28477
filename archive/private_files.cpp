#include "archive/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace archive {
namespace {

// What a file or folder made in `parent` may be: its user's only, or all the umask leaves.
QFile::Permissions permissionsIn(const QString &parent, QFile::Permissions shared)
{
    if (isSharedFolder(parent))
        return shared;
    return shared & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

constexpr QFile::Permissions kAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                    QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
constexpr QFile::Permissions kNoExe = kAll & ~QFile::Permissions(QFile::ExeOwner | QFile::ExeGroup |
                                                                  QFile::ExeOther);

} // namespace

bool isSharedFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    if (info.permissions() & QFile::WriteGroup)
        return true;
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) == 0 &&
           (st.st_mode & S_ISGID) != 0;
#else
    return false;
#endif
}

bool makeArchiveFolders(const QString &folder)
{
    // The missing folders, outermost first.
    QStringList missing;
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo::exists(path)) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    for (const QString &m : missing) {
        // Another program may make the same folder meanwhile.
        if (!QDir().mkdir(m, permissionsIn(QFileInfo(m).path(), kAll)) && !QFileInfo(m).isDir())
            return false;
    }
    return QFileInfo(folder).isDir();
}

bool createArchiveFile(const QString &file)
{
    if (QFileInfo::exists(file))
        return true;
    QFile f(file);
    // Made only if it is still missing: a file another program made meanwhile is left alone.
    return f.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                  permissionsIn(QFileInfo(file).absolutePath(), kNoExe)) ||
           QFileInfo::exists(file);
}

} // namespace archive
