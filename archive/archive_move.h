#pragma once

#include "archive/archive_location.h"
#include "archive/audit_event.h"

#include <QString>

// A change of where the archive is, as its trail keeps it: a "settings" event naming the place
// left and the place taken (connection strings without their secrets, as messages show them).
namespace archive {

AuditEvent moveEvent(const Location &from, const Location &to);

// Records the move in the archive taken, whose history from now on it begins, and in the one
// left when that can still be written, whose history it ends. Returns why the archive taken
// could not record it (a sentence); empty when it did. The one left is asked once and never
// waited for twice: a server that went away is why people move, and no reason to complain.
QString recordMove(const Location &from, const Location &to);

} // namespace archive
