#pragma once

#include <QString>

#include <optional>


// How the run shown came to be: read from a logger's memory, read live, opened from a ".brv2"
// file (an "import" when the archive keeps it), or opened from the archive.
enum class RunOrigin { None, Download, Live, File, Archive };

// The names the archive stores and prints: "download", "live", "import"; empty for the others,
// which the archive never keeps.
QString runOriginName(RunOrigin origin);
std::optional<RunOrigin> runOriginFromName(const QString &name);

