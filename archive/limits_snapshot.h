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

// A site's set of limits as the archive keeps it: the snapshot's form over every quantity.
QJsonObject siteLimitsJson(const analysis::Limits &limits);
// The same of values as settings kept them, sound or not: a value that is no number is kept
// as its text, so it stays refused when it is read back.
QJsonObject siteLimitsJson(const analysis::LimitValues &values);
// A kept set value by value, to be checked as any stored set is.
analysis::LimitValues limitValuesOf(const QJsonObject &json);

} // namespace archive
