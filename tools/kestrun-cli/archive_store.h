#pragma once

class ReadingSet;
class SubcommandParser;

// What `download` does with the archive: --no-archive, and storing the set it read.
namespace archivecli {

// Stores a downloaded set unless --no-archive was given. A failure is one message on standard
// error and does not fail the download.
void storeDownload(const SubcommandParser &parser, const ReadingSet &set);

} // namespace archivecli
