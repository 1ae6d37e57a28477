#include "archive/record_from_set.h"

#include "acquisition/reading_set.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "datafile/set_io.h"
#include "view/readings_table.h"

#include <QFile>
#include <QRegularExpression>

namespace archive {
namespace {

// A caption's value: the leading colon and blanks of the window's labels dropped.
QString captionValue(const QString &caption)
{
    static const QRegularExpression lead(QStringLiteral("^[:\\s]*"));
    return QString(caption).remove(lead).trimmed();
}

int intervalSeconds(const ReadingSet &set)
{
    switch (set.IntvUnit) {
    case 'S':
        return set.IntvValue;
    case 'M':
        return 60 * set.IntvValue;
    case 'H':
        return 3600 * set.IntvValue;
    default:
        return -1;
    }
}

QDateTime naive(const QDateTime &t) { return QDateTime(t.date(), t.time(), Qt::UTC); }

QDateTime rowTime(const ReadingsTable &t, int row)
{
    return naive(datetext::combine(t.text(row, 1), t.text(row, 2)));
}

RunRecord describe(const ReadingSet &set, Source source, const QByteArray &bytes, bool image)
{
    RunRecord r;
    setBytes(r, bytes);
    r.source = source;
    r.computer = computerName();
    r.user = userName();
    r.model = set.MODEL;
    const QStringList serial = captionValue(set.SerialText()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool ok = false;
    r.serial = serial.isEmpty() ? -1 : serial.first().toInt(&ok);
    if (!ok)
        r.serial = -1;
    r.idBytes = serial.mid(1).join(QLatin1Char(' '));
    r.location = captionValue(set.locationCaption());
    const ReadingsTable &t = set.table();
    r.readings = std::max(0, t.rows() - 1);
    if (r.readings == 0)
        return r;
    // A memory image's times follow from its newest reading and the interval; a live run's
    // rows carry this computer's clock.
    const int step = intervalSeconds(set);
    if (image && set.RefDate.isValid() && step >= 0) {
        r.last = QDateTime(set.RefDate, set.RefTime, Qt::UTC);
        r.first = r.last.addSecs(-qint64(step) * (r.readings - 1));
    } else {
        r.first = rowTime(t, 1);
        r.last = rowTime(t, r.readings);
    }
    return r;
}

} // namespace

RunRecord recordFromSet(const ReadingSet &set, Source source, int dataKind)
{
    return describe(set, source, setio::encode(set, dataKind), dataKind == setio::kDownloaded);
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
    return describe(set, Source::Import, f.readAll(), opened.dataKind == setio::kDownloaded);
}

} // namespace archive
