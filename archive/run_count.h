#pragma once

#include "archive/run_filter.h"

#include <optional>

namespace archive {

class ArchiveDb;

// How many runs the filter lists (the browser's count: its table fetches rows only as they are
// shown, so its row count is not the total). nullopt with the database's reason on failure.
std::optional<int> countRuns(ArchiveDb &db, const RunFilter &filter, QString *why);

} // namespace archive
