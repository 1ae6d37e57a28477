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

// The choice the Archive dialog keeps: a connection string, or empty for this computer.
QString storedChoice();
void setStoredChoice(const QString &connection);

} // namespace archive

namespace archive {
// The location as messages name it: the file, or the connection string without a password.
QString describe(const Location &location);
// True when a connection string carries a password (a password keyword in any case, or a
// URI's "user:secret@"): Kestrun refuses to keep such a string.
bool holdsPassword(const QString &connection);
} // namespace archive
