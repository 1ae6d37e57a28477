#pragma once

#include <QByteArray>
#include <QString>

// Standard output and standard error of the command line, in UTF-8. Every call writes whole
// lines and flushes, so a pipe or a log sees each live row as soon as it arrives.
namespace console {

void out(const QByteArray &bytes);
void outLine(const QString &line);
void err(const QByteArray &bytes);
void errLine(const QString &line);

// A failed run: `text` (the program's message) on standard error; returns the status 1.
int fail(const QString &text);
// The same with why after the message: "File Error: row 12: the time field is not a time".
// An empty reason leaves the message alone.
int fail(const QString &text, const QString &reason);

// Whether standard error is a terminal (the only place a progress bar is drawn).
bool errIsTerminal();

} // namespace console
