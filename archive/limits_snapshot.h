#pragma once

#include "analysis/limits.h"

#include <QJsonObject>

// The limits a run was judged under, as the archive keeps them beside the judgement and as
// `archive list --json` gives them: per sensor of the model its key with {"high": …, "low": …}
// (temperatures in °C, null where there is no limit), then "delay_min" and "cumulative".
namespace archive {

QJsonObject limitsSnapshot(const analysis::Limits &limits, int model);
// The limits a snapshot holds (sensors it does not name have none).
analysis::Limits limitsFromSnapshot(const QJsonObject &snapshot);

} // namespace archive
