#include "datafile/set_io.h"

#include "acquisition/conversions.h"
#include "acquisition/image_loader.h"
#include "acquisition/memory_image.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "common/output_file.h"
#include "common/prompter.h"
#include "datafile/brv2_file.h"

#include <QLocale>

#include <optional>

namespace setio {
namespace {

using namespace tablecol;

bool isInvalidText(const QString &t) { return t == tabletext::kInvalid; }

// A date text of this machine's form; texts of other common forms (a file from a machine with
// other regional settings) are read too and shown in this machine's form.
std::optional<QDate> readDate(const QString &text)
{
    QDate d = datetext::parseDate(text);
    if (!d.isValid()) {
        static const char *const forms[] = {"yyyy-MM-dd", "dd/MM/yyyy", "M/d/yyyy", "dd.MM.yyyy",
                                            "d MMM yyyy", "yyyy/MM/dd"};
        const QLocale c = QLocale::c();
        for (const char *f : forms) {
            d = c.toDate(text.trimmed(), QLatin1String(f));
            if (d.isValid())
                break;
        }
    }
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> readTime(const QString &text)
{
    QTime t = datetext::parseTime(text);
    if (!t.isValid()) {
        const QLocale c = QLocale::c();
        for (const char *f : {"HH:mm:ss", "H:mm:ss", "h:mm:ss AP", "HH:mm"}) {
            t = c.toTime(text.trimmed(), QLatin1String(f));
            if (t.isValid())
                break;
        }
    }
    if (!t.isValid())
        return std::nullopt;
    return t;
}

// How the table shows the stored values of one column: the picture pattern (none: plain
// decimals) and what the sensor can report, as those texts show its bounds.
class ColumnText
{
public:
    ColumnText(const char *pattern, sensor::Range range, bool toFahrenheit)
        : m_pattern(pattern), m_toFahrenheit(toFahrenheit),
          m_shown{shownNumber(range.low), shownNumber(range.high)}
    {}

    // The cell text of a stored value: "***" for a failed reading and for a number the sensor
    // cannot report, exactly as a download shows it; nullopt for a value that is no number.
    std::optional<QString> operator()(const QString &stored) const
    {
        if (isInvalidText(stored))
            return stored;
        double v = 0;
        if (!numfmt::parse(stored, &v))
            return std::nullopt;
        const QString text = shownText(v);
        double shown = 0;
        if (!numfmt::parse(text, &shown) || !m_shown.contains(shown))
            return tabletext::kInvalid;
        if (m_toFahrenheit)
            return numfmt::picture(sensor::Conv_Faren(v), "#00.00");
        return text;
    }

private:
    QString shownText(double v) const
    {
        return m_pattern ? numfmt::picture(v, m_pattern) : numfmt::plain(v);
    }
    // A bound as the column shows it: the largest voltage, 160.15396 V, shows as 160.154.
    double shownNumber(double v) const { return numfmt::parseOr(shownText(v), v); }

    const char *m_pattern;
    bool m_toFahrenheit;
    sensor::Range m_shown;
};

// The value of column 3 of row r as it is stored: temperatures in degC.
QString storedValue(const ReadingSet &set, int r)
{
    const ReadingsTable &t = set.table();
    const std::optional<double> f = t.number(r, kValueCol);
    if (!model::hasTemperature(set.MODEL) || set.Cels_Faren != 0 || !f)
        return t.text(r, kValueCol);
    return numfmt::plain(sensor::Conv_Celsius(*f));
}

// One row of a row file as the table shows it.
struct FileRow
{
    QDate date;
    QTime time;
    QString value;
    QString humidity;
};

// Builds the rows of a row file as the table shows them, or nullopt (and why) when a row does
// not hold what it must.
std::optional<QList<FileRow>> fileRows(const brv2::Content &c, bool fahrenheit, QString *why)
{
    QList<FileRow> out;
    const model::Family fam = model::family(c.model);
    const bool temperature = model::hasTemperature(c.model);
    const char *pattern = fam == model::Family::Voltage ? "#0.000"
                          : fam == model::Family::CO2   ? nullptr
                                                        : "#00.0";
    const ColumnText valueText(pattern, sensor::valueRange(c.model), temperature && fahrenheit);
    const ColumnText humidityText("#00.0", sensor::kHumidityRange, false);
    out.reserve(c.rows.size());
    const auto reject = [&](const char *what) {
        *why = QStringLiteral("row %1: %2").arg(out.size() + 1).arg(QLatin1String(what));
        return std::nullopt;
    };
    for (const QStringList &row : c.rows) {
        const auto date = readDate(row.at(0));
        if (!date)
            return reject("the date field is not a date");
        const auto time = readTime(row.at(1));
        if (!time)
            return reject("the time field is not a time");
        const auto value = valueText(row.at(2));
        if (!value)
            return reject("the value field is not a number");
        FileRow read{*date, *time, *value, QString()};
        if (model::isHumidity(c.model)) {
            const auto h = humidityText(row.at(3));
            if (!h)
                return reject("the humidity field is not a number");
            // The humidity is compensated with the temperature: without a temperature the
            // sensor reports none, as a download shows it.
            read.humidity = isInvalidText(*value) ? tabletext::kInvalid : *h;
        }
        out.append(read);
    }
    return out;
}

} // namespace

QByteArray encode(const ReadingSet &set, int dataKind)
{
    if (dataKind == kDownloaded) {
        const QByteArray image(reinterpret_cast<const char *>(set.MemImage.data()), set.ImageLen);
        return brv2::encodeImage(set.MODEL, image);
    }
    const ReadingsTable &t = set.table();
    const int fields = brv2::rowFieldCount(set.MODEL);
    QList<QStringList> rows;
    if (fields > 0) {
        rows.reserve(t.rows() - 1);
        for (int r = 1; r < t.rows(); ++r) {
            QStringList row{t.text(r, 1), t.text(r, 2), storedValue(set, r)};
            if (fields == 4)
                row << t.text(r, kHumidityCol);
            rows.append(row);
        }
    }
    return brv2::encodeRows(set.MODEL, set.ImageLen, dataKind, set.locationCaption(),
                            set.SerialText(), rows);
}

bool save(const ReadingSet &set, int dataKind, const QString &path, QString *error)
{
    return outputfile::write(path, encode(set, dataKind), error);
}

namespace {

Opened show(ReadingSet &set, const brv2::Content &c)
{
    Opened out;
    out.reason = c.reason;
    if (c.status == brv2::Content::Status::FileCorrupted) {
        out.status = Status::FileCorrupted;
        return out;
    }
    if (c.status != brv2::Content::Status::Ok)
        return out;
    if (c.isImage()) {
        // Too short to hold a trailer: nothing in it can be shown.
        if (c.image.size() < memimage::kOverhead) {
            out.reason = QStringLiteral("the image holds %1 bytes, fewer than the %2 of a "
                                        "lead-in and trailer")
                             .arg(c.image.size())
                             .arg(memimage::kOverhead);
            return out;
        }
        imageload::showImage(set, c.image, c.model);
        out.status = Status::Ok;
        out.dataKind = c.dataKind;
        return out;
    }
    const auto rows = fileRows(c, set.Cels_Faren == 0, &out.reason);
    if (!rows)
        return out;
    ReadingsTable &t = set.table();
    t.beginBatch();
    t.setRows(1);
    set.MODEL = quint8(c.model);
    set.ImageLen = qBound(0, c.imageLen, ReadingSet::kMemImageSize);
    set.setFileIdentity(c.serialCaption, c.locationCaption);
    set.Format_Grid();
    t.setRows(int(rows->size()) + 1);
    const bool humidity = t.cols() > kHumidityCol;
    for (int i = 0; i < rows->size(); ++i) {
        const FileRow &row = rows->at(i);
        const int r = i + 1;
        t.setValue(r, kNumberCol, QString::number(r), r);
        // Shown in this machine's form, whatever form the file has.
        t.setMoment(r, row.date, row.time, datetext::dateText(row.date),
                    datetext::timeText(row.time));
        t.setCell(r, kValueCol, row.value, isInvalidText(row.value));
        if (humidity)
            t.setCell(r, kHumidityCol, row.humidity, isInvalidText(row.humidity));
    }
    t.endBatch();
    out.status = Status::Ok;
    out.dataKind = c.dataKind;
    return out;
}

} // namespace

Opened open(ReadingSet &set, const QString &path) { return show(set, brv2::readFile(path)); }

Opened openBytes(ReadingSet &set, const QByteArray &bytes) { return show(set, brv2::decode(bytes)); }

QString explained(const Opened &opened)
{
    return msg::withReason(message(opened.status), opened.reason);
}

QString message(Status status)
{
    switch (status) {
    case Status::Ok:
        break;
    case Status::FileCorrupted:
        return msg::kFileCorrupted;
    case Status::FileError:
        return msg::kFileError;
    }
    return QString();
}

void report(Status status, Prompter &prompter)
{
    if (status != Status::Ok)
        prompter.message(message(status));
}

} // namespace setio
