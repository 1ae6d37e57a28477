#pragma once

#include <QString>

#include <optional>

// Comport.txt remembers the chosen port number between runs: one line, the number as decimal
// digits, ended by CR LF ("3\r\n" for COM3). It lives in the program's folder; where that folder
// cannot be written (an installed program), in the per-user application data folder.
namespace comportfile {

// The file's path: the program folder's when that folder is writable, else the per-user one.
QString path();
// Overrides the folder (tests); an empty text restores the default.
void setFolder(const QString &folder);

// Rewrites the file completely. False when it could not be written.
bool write(int portNumber);
// The first number in the file; nullopt when the file is missing or holds no number.
std::optional<int> read();

} // namespace comportfile
