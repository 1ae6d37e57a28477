#include "archive/record_from_set.h"

#include "acquisition/conversions.h"
#include "acquisition/reading_set.h"
#include "analysis/summary_input.h"
#include "common/numfmt.h"
#include "common/messages.h"
#include "datafile/set_io.h"

#include <QFile>

namespace archive {
namespace {

// The verdict under the limits kept for the logger (none when they are refused), and each
// sensor's extremes. Temperatures
// are kept in degC whatever the table shows, so runs compare across the archive: a degF cell is
// the degC reading of one decimal converted, so converting back and rounding to one decimal
// gives that reading again.
void addSummary(RunRecord &r, const ReadingSet &set)
{
    const analysis::Validation limits = analysis::storedLimits(set);
    const analysis::Summary s = analysis::summarize(analysis::summaryInputOf(set),
                                                    limits.limits.value_or(analysis::Limits{}));
    // Refused limits judge nothing: the run is kept without a verdict.
    r.status = limits.limits ? std::optional(analysis::verdictText(s.verdict)) : std::nullopt;
    const auto kept = [&s](const analysis::SensorSummary &sensor,
                           std::optional<double> v) -> std::optional<double> {
        if (!v || !s.fahrenheit || sensor.quantity != analysis::Quantity::Temperature)
            return v;
        return numfmt::roundHalfEven(sensor::Conv_Celsius(*v), 1);
    };
    for (size_t i = 0; i < s.sensors.size() && i < r.minimum.size(); ++i) {
        r.minimum[i] = kept(s.sensors[i], s.sensors[i].min);
        r.maximum[i] = kept(s.sensors[i], s.sensors[i].max);
    }
}

RunRecord describe(const ReadingSet &set, Source source, const QByteArray &bytes)
{
    RunRecord r;
    setBytes(r, bytes);
    r.source = source;
    r.computer = computerName();
    r.user = userName();
    r.model = set.MODEL;
    bool ok = false;
    r.serial = analysis::serialOf(set).toInt(&ok);
    if (!ok)
        r.serial = -1;
    r.idBytes = set.serialValue().section(QLatin1Char(' '), 1, -1, QString::SectionSkipEmpty);
    r.location = set.locationValue();
    // The reading set's times are wall-clock times kept as UTC, as the archive keeps them.
    r.readings = set.readingCount();
    if (r.readings > 0) {
        r.first = set.readingTime(1);
        r.last = set.readingTime(r.readings);
    }
    addSummary(r, set);
    return r;
}

} // namespace

RunRecord recordFromSet(const ReadingSet &set, Source source, int dataKind)
{
    return describe(set, source, setio::encode(set, dataKind));
}

std::optional<RunRecord> recordFromFile(const QString &path, QString *why)
{
    ReadingSet set;
    const setio::Opened opened = setio::open(set, path);
    if (opened.status != setio::Status::Ok) {
        *why = setio::message(opened.status);
        return std::nullopt;
    }
    // Open read the whole file; read again for its exact bytes.
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = msg::kFileError;
        return std::nullopt;
    }
    return describe(set, Source::Import, f.readAll());
}

} // namespace archive
