#pragma once

#include <QString>

// The archive's folders and files are its user's alone: the runs of a pharmacy are not every
// user's business. A folder its owner opened to a group (group-writable, or set-group-ID so
// that what is made in it belongs to the folder's group) is a shared place: what is made in it
// gets what the user's umask gives, so that the group can use it.
namespace archive {

// Whether `folder` is such a shared place.
bool isSharedFolder(const QString &folder);

// Makes `folder` and the folders above it that are missing: each one its user's only, unless
// the folder it is made in is shared. True when the folder is there afterwards.
bool makeArchiveFolders(const QString &folder);

// Creates `file` empty, its user's only unless its folder is shared; a file that exists is left
// as it is. SQLite gives the files it keeps beside it (the write-ahead log and its index) the
// permissions of this one. False when it could not be made.
bool createArchiveFile(const QString &file);

} // namespace archive
