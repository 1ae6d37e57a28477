#pragma once

#include "archive/run_record.h"

#include <optional>

class ReadingSet;

namespace archive {

// The record of a set as Save writes it with `dataKind` (setio::kDownloaded for a download).
RunRecord recordFromSet(const ReadingSet &set, Source source, int dataKind);

// The record of a ".brv2" file: its bytes exactly as they are, the rest as Open reads it.
// nullopt with the program's message ("File Error", "File Corrupted") when it cannot be opened.
std::optional<RunRecord> recordFromFile(const QString &path, QString *why);

} // namespace archive
