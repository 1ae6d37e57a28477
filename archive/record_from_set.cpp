#include "archive/record_from_set.h"

#include "acquisition/reading_set.h"
#include "common/messages.h"
#include "datafile/set_io.h"

#include <QFile>

namespace archive {
namespace {

RunRecord describe(const ReadingSet &set, Source source, const QByteArray &bytes)
{
    RunRecord r;
    setBytes(r, bytes);
    r.source = source;
    r.computer = computerName();
    r.user = userName();
    r.model = set.MODEL;
    const QStringList serial = set.serialValue().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool ok = false;
    r.serial = serial.isEmpty() ? -1 : serial.first().toInt(&ok);
    if (!ok)
        r.serial = -1;
    r.idBytes = serial.mid(1).join(QLatin1Char(' '));
    r.location = set.locationValue();
    // The reading set's times are wall-clock times kept as UTC, as the archive keeps them.
    r.readings = set.readingCount();
    if (r.readings > 0) {
        r.first = set.readingTime(1);
        r.last = set.readingTime(r.readings);
    }
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
        *why = opened.status == setio::Status::FileCorrupted ? msg::kFileCorrupted : msg::kFileError;
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
