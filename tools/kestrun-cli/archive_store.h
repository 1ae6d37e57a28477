#pragma once

class SubcommandParser;

namespace archive {
class ArchiveDb;
struct RunRecord;
}

// What `download` does with the archive: --no-archive, and storing the set it read.
namespace archivecli {

// Stores a downloaded run unless --no-archive was given. A failure is one message on standard
// error and does not fail the download.
void storeDownload(const SubcommandParser &parser, const archive::RunRecord &run);

// An archive this user may only read is read, and said to be so on standard error, where it
// does not disturb what a script reads.
void noteReadOnly(const archive::ArchiveDb &db);

} // namespace archivecli
