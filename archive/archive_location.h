#pragma once

#include <QString>

// Where the archive lives: a SQLite file on this computer (the default, in the per-user data
// folder) or a site's PostgreSQL database named by a libpq connection string. Kestrun never
// keeps a password: libpq's password file and service file hold those.
namespace archive {

inline constexpr const char *kEnvironment = "KESTRUN_ARCHIVE";
inline constexpr const char *kFileName = "archive.sqlite";

struct Location
{
    enum class Kind { SQLite, PostgreSQL };
    Kind kind = Kind::SQLite;
    QString where; // SQLite: the database file; PostgreSQL: the connection string as given
    // Why this location must not be used (a password in KESTRUN_ARCHIVE, say); empty when it
    // may. Opening it fails with this text.
    QString refused = {};

    bool isShared() const { return kind == Kind::PostgreSQL; }
    bool operator==(const Location &) const = default;
};

// A connection string ("service=loggers", "host=db dbname=loggers", "postgresql://host/db")
// names PostgreSQL; anything else is a folder that holds the SQLite file.
Location locationFrom(const QString &text);

// KESTRUN_ARCHIVE when it is set, else the stored setting, else this computer's file.
Location chosenLocation();
// The SQLite archive of this computer, where runs wait while the shared one cannot be reached:
// KESTRUN_ARCHIVE's folder when it names one, else the per-user data folder's file.
Location localLocation();
// The per-user data folder of Kestrun (the window's and kestrun-cli's alike).
QString defaultFolder();

// The archive the stored setting names, whatever KESTRUN_ARCHIVE says: the connection it keeps,
// or this computer's file in the per-user data folder.
Location storedLocation();

// The choice the Archive dialog keeps: a connection string, or empty for this computer.
QString storedChoice();
void setStoredChoice(const QString &connection);

} // namespace archive

namespace archive {
// The location as messages name it: the file, or the connection string without its secrets.
QString describe(const Location &location);
// True when a connection string carries a password, or may (libpq cannot read it): Kestrun
// refuses to keep or use such a string.
bool holdsPassword(const QString &connection);
// Why Kestrun will not use this connection string (it holds a password, or libpq cannot read
// it); empty when it will, or when the text names a folder. The Archive dialog and
// KESTRUN_ARCHIVE refuse alike.
QString refusalOf(const QString &connection);
} // namespace archive
