#pragma once

#include "analysis/limits.h"

#include <QString>

#include <optional>

class LimitsStore;
class SubcommandParser;

// The limit options of `summary`, `report` and `limits set` (--high, --low, --rh-high,
// --rh-low, --delay, --single, --cumulative) laid over the limits stored for a logger, and the
// logger options of the `limits` subcommands (--serial N, --default).
namespace limitoptions {

// The limits a run is judged by: the stored set of the logger of `serial` (or the default)
// with this run's options laid over it, checked as the Limits dialog checks what is typed.
// `valueQuantity` is what --high and --low limit: the quantity of the model's value column.
// nullopt after the reason was printed: a usage error for options that fail on their own,
// else why the stored set is refused (or the options do not fit it).
std::optional<analysis::Limits> runLimits(SubcommandParser &p, const LimitsStore &store,
                                          const QString &serial,
                                          analysis::Quantity valueQuantity);

// The options given, as values in the unit of --fahrenheit; nullopt after a usage error.
std::optional<analysis::LimitValues> given(SubcommandParser &p, analysis::Quantity valueQuantity);

// Whether any of the limit options was given.
bool anyGiven(const SubcommandParser &p);

// `over` laid on what is stored (`stored`, which the store judged `storedCheck`), checked;
// nullopt after the reason was printed, as runLimits says.
std::optional<analysis::Limits> checkedOver(const analysis::LimitValues &stored,
                                            const analysis::Validation &storedCheck,
                                            const analysis::LimitValues &over);

// Which stored set a `limits` subcommand works on: a logger's serial number ("0045"), or an
// empty text for the default set (--default, or neither option). nullopt after a usage error.
std::optional<QString> scope(SubcommandParser &p);

} // namespace limitoptions
