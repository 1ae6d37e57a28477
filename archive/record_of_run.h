#pragma once

#include "archive/run_record.h"

#include <optional>

class LimitsStore;
class RunDocument;

namespace archive {

// The record of the run a document holds: its file bytes as Save writes them, how it was
// obtained, whose readings they are, and its summary's verdict and extremes.
RunRecord recordOf(const RunDocument &doc);

// The record of a ".brv2" file: its bytes exactly as they are, the rest as Open reads it.
// nullopt when it cannot be opened, with the program's message and the reason as `summary`
// gives them ("File Error: the header's model code is not a whole number"). Judged under the
// limits `store` keeps (nullptr: the per-user settings).
std::optional<RunRecord> recordFromFile(const QString &path, QString *why,
                                        LimitsStore *store = nullptr);
// The same of a file's bytes that came without a name (standard input).
std::optional<RunRecord> recordFromBytes(const QByteArray &bytes, QString *why,
                                         LimitsStore *store = nullptr);

} // namespace archive
