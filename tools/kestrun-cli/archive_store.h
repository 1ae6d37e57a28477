#pragma once

class SubcommandParser;

namespace archive {
struct RunRecord;
}

// What `download` does with the archive: --no-archive, and storing the set it read.
namespace archivecli {

// Stores a downloaded run unless --no-archive was given. A failure is one message on standard
// error and does not fail the download.
void storeDownload(const SubcommandParser &parser, const archive::RunRecord &run);

} // namespace archivecli
