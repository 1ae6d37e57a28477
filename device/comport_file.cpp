#include "device/comport_file.h"

#include "common/output_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace comportfile {
namespace {
QString g_folder;

const QString kFileName = QStringLiteral("Comport.txt");

bool belongsToSystem(const ProgramFolder &program, uint user)
{
    const bool underUsr = program.path == QLatin1String("/usr") ||
                          program.path.startsWith(QLatin1String("/usr/"));
    return underUsr || (program.owner && *program.owner != user);
}

ProgramFolder thisProgram()
{
    const QFileInfo info(QCoreApplication::applicationDirPath());
    ProgramFolder p;
    p.path = info.canonicalFilePath();
    p.writable = !p.path.isEmpty() && info.isDir() && info.isWritable();
#ifdef Q_OS_UNIX
    p.owner = info.ownerId();
#endif
    return p;
}

uint thisUser()
{
#ifdef Q_OS_UNIX
    return uint(geteuid());
#else
    return 0; // no owner is known to compare with
#endif
}

Places defaultPlaces()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const Places p = places(thisProgram(), thisUser(), data);
    if (p.written == data)
        QDir().mkpath(data);
    return p;
}

Places chosenPlaces()
{
    if (!g_folder.isEmpty())
        return {g_folder, {g_folder}};
    return defaultPlaces();
}

} // namespace

Places places(const ProgramFolder &program, uint user, const QString &userData)
{
    if (program.path.isEmpty())
        return {userData, {userData}};
    if (belongsToSystem(program, user))
        return {userData, {userData, program.path}};
    if (program.writable)
        return {program.path, {program.path}};
    return {userData, {userData}};
}

QString path()
{
    return QDir(chosenPlaces().written).filePath(kFileName);
}

void setFolder(const QString &folder) { g_folder = folder; }

bool write(int portNumber)
{
    return outputfile::write(path(), QByteArray::number(portNumber) + "\r\n", nullptr);
}

std::optional<int> read()
{
    QFile f;
    for (const QString &folder : chosenPlaces().read) {
        f.setFileName(QDir(folder).filePath(kFileName));
        if (f.open(QIODevice::ReadOnly))
            break;
    }
    if (!f.isOpen())
        return std::nullopt;
    const QString text = QString::fromLatin1(f.read(256));
    static const QRegularExpression firstNumber(QStringLiteral("^\\s*([+-]?\\d+)"));
    const auto m = firstNumber.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    if (!ok || n < -32768 || n > 32767)
        return std::nullopt;
    return n;
}

} // namespace comportfile
