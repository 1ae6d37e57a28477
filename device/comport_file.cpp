#include "device/comport_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace comportfile {
namespace {
QString g_folder;

QString defaultFolder()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QFileInfo info(programDir);
    if (!programDir.isEmpty() && info.isDir() && info.isWritable())
        return programDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}
} // namespace

QString path()
{
    const QString folder = g_folder.isEmpty() ? defaultFolder() : g_folder;
    return QDir(folder).filePath(QStringLiteral("Comport.txt"));
}

void setFolder(const QString &folder) { g_folder = folder; }

bool write(int portNumber)
{
    QSaveFile f(path());
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray line = QByteArray::number(portNumber) + "\r\n";
    if (f.write(line) != line.size())
        return false;
    return f.commit();
}

std::optional<int> read()
{
    QFile f(path());
    if (!f.open(QIODevice::ReadOnly))
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
