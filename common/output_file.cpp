#include "common/output_file.h"

#include "common/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace outputfile {
namespace {

// As many links as the system itself follows before it gives up on a path.
constexpr int kMaxLinks = 40;

// A link /proc keeps for an open file of a process (/dev/stdout leads to /proc/self/fd/1): its
// target is a stream of that process, whatever kind of file it is, and is written through the
// link. Replacing the file behind it would cut the stream off from what it names.
bool isProcessStream(const QFileInfo &link)
{
    const QString folder = QFileInfo(link.absolutePath()).canonicalFilePath();
    return folder.startsWith(QLatin1String("/proc/"));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool writeAll(QFileDevice &f, const QByteArray &bytes, QString *error)
{
    if (f.write(bytes) != bytes.size()) {
        setError(error, f.errorString());
        return false;
    }
    return true;
}

bool writeStandardOutput(const QByteArray &bytes, QString *error)
{
    // Whatever the program printed before goes out first.
    std::fflush(stdout);
    QFile out;
    if (!out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered,
                  QFileDevice::DontCloseHandle)) {
        setError(error, out.errorString());
        return false;
    }
    return writeAll(out, bytes, error);
}

bool writeDirect(const QString &path, const QByteArray &bytes, QString *error)
{
    // Never created here: what is opened is the device or pipe that was found.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered | QIODevice::ExistingOnly)) {
        setError(error, f.errorString());
        return false;
    }
    return writeAll(f, bytes, error);
}

bool writeReplacing(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile f(path);
    // Unbuffered, so a write the disk cuts short (full, or a file size limit) shows in write()'s
    // count: buffered, the short write at commit() goes unnoticed and the old file is replaced
    // by a truncated one.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(error, f.errorString());
        return false;
    }
    if (!writeAll(f, bytes, error)) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        setError(error, f.errorString());
        return false;
    }
    return true;
}

} // namespace

Destination destinationOf(const QString &name)
{
    if (name == kStandardStream)
        return {Delivery::StandardOutput, name, QString()};
    const QFileInfo named(name);
    // Anything that exists and is neither a file nor a folder is a device, a FIFO or a socket.
    if (named.exists() && !named.isFile() && !named.isDir())
        return {Delivery::Direct, name, QString()};
    if (named.isDir())
        return {Delivery::Replace, name, msg::kOutputIsFolder};

    QFileInfo at(named.absoluteFilePath());
    for (int links = 0; at.isSymbolicLink(); ++links) {
        if (links == kMaxLinks)
            return {Delivery::Replace, name, msg::kOutputTooManyLinks};
        if (isProcessStream(at))
            return {Delivery::Direct, name, QString()};
        at.setFile(at.symLinkTarget());
    }
    const QString folder = at.absolutePath();
    if (!QFileInfo(folder).isDir())
        return {Delivery::Replace, at.absoluteFilePath(),
                msg::kOutputNoFolder.arg(QDir::toNativeSeparators(folder))};
    return {Delivery::Replace, at.absoluteFilePath(), QString()};
}

QString absoluteName(const QString &typed)
{
    return typed == kStandardStream ? typed : QFileInfo(typed).absoluteFilePath();
}

bool write(const QString &name, const QByteArray &bytes, QString *error)
{
    const Destination d = destinationOf(name);
    if (!d.problem.isEmpty()) {
        setError(error, d.problem);
        return false;
    }
    switch (d.delivery) {
    case Delivery::StandardOutput:
        return writeStandardOutput(bytes, error);
    case Delivery::Direct:
        return writeDirect(d.path, bytes, error);
    case Delivery::Replace:
        break;
    }
    return writeReplacing(d.path, bytes, error);
}

QString failureText(const QString &name, const QString &reason)
{
    switch (destinationOf(name).delivery) {
    case Delivery::StandardOutput:
        return msg::kWriteFailed.arg(msg::kStandardOutputName, reason);
    case Delivery::Direct:
        return msg::kWriteFailed.arg(QDir::toNativeSeparators(name), reason);
    case Delivery::Replace:
        break;
    }
    return msg::kSaveFailed.arg(QDir::toNativeSeparators(name), reason);
}

} // namespace outputfile
