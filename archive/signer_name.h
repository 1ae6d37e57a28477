#pragma once

#include <QString>

namespace archive {

class ArchiveDb;

// The name printed with a person's signatures: the full name of their account, or, where the
// account has none, the one they set once in the program (a per-user setting the window and
// kestrun-cli share).
//
// The name set in the program is changed by setting it again (the window's question at the
// first signing, `archive sign --name`); every change is a "settings" event of the trail with
// the old and the new name, so a signature's printed name can always be traced to who set it.

// The name to print for `login`; empty when neither the account nor the program has one.
QString printedName(const QString &login);
// Whether the account gives the name (the program's own then goes unused).
bool nameFromAccount(const QString &login);
// The name set in the program; empty when none was.
QString programName();
// Sets the program's name. A change is recorded in `db`'s trail first; false when it could not
// be (db.error() says why), and the name stays as it was.
bool setProgramName(ArchiveDb &db, const QString &name);

} // namespace archive
