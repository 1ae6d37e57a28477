#include "archive/record_of_run.h"

#include "archive/limits_snapshot.h"

#include "acquisition/conversions.h"
#include "acquisition/reading_set.h"
#include "common/messages.h"
#include "common/numfmt.h"
#include "datafile/brv2_file.h"
#include "run/run_document.h"
#include "run/run_facts.h"

namespace archive {
namespace {

// The verdict under the limits that apply to the run (none while they are refused), and each
// sensor's extremes and failed readings. Temperatures are kept in degC whatever the table
// shows, so runs compare across the archive: a degF cell is the degC reading of one decimal
// converted, so converting back and rounding to one decimal gives that reading again.
void addSummary(RunRecord &r, const analysis::Summary &s, bool judged)
{
    // Refused limits judge nothing: the run is kept without a verdict.
    r.status = judged ? std::optional(analysis::verdictText(s.verdict)) : std::nullopt;
    const auto kept = [&s](const analysis::SensorSummary &sensor,
                           std::optional<double> v) -> std::optional<double> {
        if (!v || !s.fahrenheit || sensor.quantity != analysis::Quantity::Temperature)
            return v;
        return numfmt::roundHalfEven(sensor::Conv_Celsius(*v), 1);
    };
    for (size_t i = 0; i < s.sensors.size() && i < r.minimum.size(); ++i) {
        r.minimum[i] = kept(s.sensors[i], s.sensors[i].min);
        r.maximum[i] = kept(s.sensors[i], s.sensors[i].max);
        r.failed[i] = FailedReadings{s.sensors[i].invalid, s.sensors[i].longestFailed.seconds,
                                     s.sensors[i].firstFailedAt};
    }
}

RunRecord describe(const RunFacts &run, RunOrigin source, const QByteArray &bytes)
{
    RunRecord r;
    setBytes(r, bytes);
    r.source = source;
    r.computer = computerName();
    r.user = userName();
    r.model = run.model;
    r.serial = run.identity.serialNumber();
    r.idBytes = run.identity.idBytes;
    r.location = run.identity.location;
    // The reading set's times are wall-clock times kept as UTC, as the archive keeps them.
    r.readings = run.readings;
    r.first = run.first;
    r.last = run.last;
    addSummary(r, run.summary, run.limitsRefusal.isEmpty());
    // Kept beside the verdict: a run stays judged as it was, whatever the limits become.
    if (run.limits)
        r.limits = limitsSnapshot(*run.limits, run.model);
    return r;
}

// Whether the file opened; the program's message with its reason ("File Error: ...") in `why`
// when not.
bool opened(const setio::Opened &result, QString *why)
{
    if (result.status == setio::Status::Ok)
        return true;
    *why = setio::explained(result);
    return false;
}

} // namespace

RunRecord recordOf(const RunDocument &doc)
{
    return describe(factsOf(doc), doc.origin(), doc.fileBytes());
}

std::optional<RunRecord> recordFromBytes(const QByteArray &bytes, QString *why,
                                         LimitsStore *store)
{
    const RunFacts run = readRunFacts(bytes, store);
    if (!opened(run.opened, why))
        return std::nullopt;
    return describe(run, RunOrigin::File, bytes);
}

std::optional<RunRecord> recordFromFile(const QString &path, QString *why, LimitsStore *store)
{
    // Read once: the bytes kept are the bytes the facts are read from.
    setio::Opened unreadable;
    const std::optional<QByteArray> bytes = brv2::readBytes(path, &unreadable.reason);
    if (!bytes) {
        opened(unreadable, why);
        return std::nullopt;
    }
    return recordFromBytes(*bytes, why, store);
}

} // namespace archive
