#include "archive/record_of_run.h"

#include "acquisition/conversions.h"
#include "acquisition/reading_set.h"
#include "common/messages.h"
#include "common/numfmt.h"
#include "run/run_document.h"

#include <QFile>

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

RunRecord describe(const RunDocument &doc, RunOrigin source, const QByteArray &bytes)
{
    RunRecord r;
    setBytes(r, bytes);
    r.source = source;
    r.computer = computerName();
    r.user = userName();
    r.model = doc.set().MODEL;
    r.serial = doc.identity().serialNumber();
    r.idBytes = doc.identity().idBytes;
    r.location = doc.identity().location;
    // The reading set's times are wall-clock times kept as UTC, as the archive keeps them.
    r.readings = doc.readingCount();
    if (r.readings > 0) {
        r.first = doc.set().readingTime(1);
        r.last = doc.set().readingTime(r.readings);
    }
    addSummary(r, doc.summary(), doc.limitsRefusal().isEmpty());
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
    return describe(doc, doc.origin(), doc.fileBytes());
}

std::optional<RunRecord> recordFromFile(const QString &path, QString *why)
{
    RunDocument doc;
    if (!opened(doc.openFile(path), why))
        return std::nullopt;
    // Open read the whole file; read again for its exact bytes.
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = msg::kFileError;
        return std::nullopt;
    }
    return describe(doc, RunOrigin::File, f.readAll());
}

std::optional<RunRecord> recordFromBytes(const QByteArray &bytes, QString *why)
{
    RunDocument doc;
    if (!opened(doc.openFileBytes(bytes, QString()), why))
        return std::nullopt;
    return describe(doc, RunOrigin::File, bytes);
}

} // namespace archive
