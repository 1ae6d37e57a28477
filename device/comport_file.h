#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Comport.txt remembers the chosen port number between runs: one line, the number as decimal
// digits, ended by CR LF ("3\r\n" for COM3). It lives in the program's folder when that is the
// user's own (a program unpacked in the home folder); for a program installed into the system
// (under /usr, or in a folder another user owns), and where the program's folder cannot be
// written, it lives in the per-user application data folder. A program of the system never
// writes into its own folder, also when run as root.
namespace comportfile {

// The program's folder as the rule sees it.
struct ProgramFolder
{
    QString path;              // canonical
    std::optional<uint> owner; // its owner's user id; nullopt where the system does not say
    bool writable = false;     // by the user running the program
};

// Where the file is written, and where it is read, in turn until one holds it.
struct Places
{
    QString written;
    QStringList read;
};

// The folders for a program in `program` run by the user of id `user`, `userData` being that
// user's application data folder. A program folder of the system is never written; a file an
// earlier version left there is still read when the per-user one is missing, so the port
// chosen then is not lost.
Places places(const ProgramFolder &program, uint user, const QString &userData);

// The file's path: where it is written.
QString path();
// Overrides the folder (tests); it is then the only place written and read. An empty text
// restores the default.
void setFolder(const QString &folder);

// Rewrites the file completely. False when it could not be written.
bool write(int portNumber);
// The first number in the file; nullopt when the file is missing or holds no number.
std::optional<int> read();

} // namespace comportfile
