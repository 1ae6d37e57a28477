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

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <limits>
#include <optional>

namespace setio {
namespace {

using namespace tablecol;

bool isInvalidText(const QString &t) { return t == tabletext::kInvalid; }

// A date text of this machine's form; texts of other common forms (a file from a machine with
// other regional settings) are read too and shown in this machine's form.
std::optional<QDate> readDate(const datetext::Reader &reader, const QString &text)
{
    QDate d = reader.date(text);
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

std::optional<QTime> readTime(const datetext::Reader &reader, const QString &text)
{
    QTime t = reader.time(text);
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

// Results of a reader kept per text: a row file of weeks holds a few hundred distinct values,
// each read once. A file of nothing but distinct texts is read text by text once the memory
// is full.
template <class Result>
class Remembered
{
public:
    template <class Read>
    const Result &operator()(const QString &text, Read read)
    {
        const auto it = m_known.constFind(text);
        if (it != m_known.constEnd())
            return *it;
        if (m_known.size() >= kMostKept) {
            m_spare = read(text);
            return m_spare;
        }
        return *m_known.insert(text, read(text));
    }

private:
    static constexpr qsizetype kMostKept = 1 << 17;
    QHash<QString, Result> m_known;
    Result m_spare;
};

// A value cell as the table shows it: its text and the number the text shows.
struct Cell
{
    QString text;
    double number = std::numeric_limits<double>::quiet_NaN();
};

// Turns the fields of a row file into rows as the table shows them; the reason, when a row
// does not hold what it must.
class RowReader
{
public:
    RowReader(int model, bool fahrenheit)
        : m_humidity(model::isHumidity(model)),
          m_valueText(patternOf(model), sensor::valueRange(model),
                      model::hasTemperature(model) && fahrenheit),
          m_humidityText("#00.0", sensor::kHumidityRange, false)
    {}

    const char *read(const QString *fields, ShownRow &row)
    {
        if (fields[0] != m_dateText) {
            m_date = readDate(m_moments, fields[0]);
            m_dateText = fields[0];
        }
        if (!m_date)
            return "the date field is not a date";
        const std::optional<QTime> time = readTime(m_moments, fields[1]);
        if (!time)
            return "the time field is not a time";
        const std::optional<Cell> &value = m_values(fields[2], m_valueText);
        if (!value)
            return "the value field is not a number";
        row.date = *m_date;
        row.time = *time;
        row.value = value->text;
        row.valueNumber = value->number;
        if (m_humidity) {
            const std::optional<Cell> &h = m_humidities(fields[3], m_humidityText);
            if (!h)
                return "the humidity field is not a number";
            // The humidity is compensated with the temperature: without a temperature the
            // sensor reports none, as a download shows it.
            const bool noTemperature = isInvalidText(value->text);
            row.humidity = noTemperature ? tabletext::kInvalid : h->text;
            row.humidityNumber = noTemperature ? Cell().number : h->number;
        }
        return nullptr;
    }

private:
    static const char *patternOf(int model)
    {
        const model::Family fam = model::family(model);
        return fam == model::Family::Voltage ? "#0.000" : fam == model::Family::CO2 ? nullptr
                                                                                   : "#00.0";
    }

    // The cell of a stored value, or none for a value that is no number.
    class CellText
    {
    public:
        CellText(const char *pattern, sensor::Range range, bool toFahrenheit)
            : m_text(pattern, range, toFahrenheit)
        {}
        std::optional<Cell> operator()(const QString &stored) const
        {
            const std::optional<QString> text = m_text(stored);
            if (!text)
                return std::nullopt;
            Cell c{*text};
            if (!numfmt::parse(c.text, &c.number))
                c.number = Cell().number;
            return c;
        }

    private:
        ColumnText m_text;
    };

    const bool m_humidity;
    const CellText m_valueText;
    const CellText m_humidityText;
    const datetext::Reader m_moments;
    // Rows in order mostly share their date with the row before.
    QString m_dateText;
    std::optional<QDate> m_date;
    Remembered<std::optional<Cell>> m_values;
    Remembered<std::optional<Cell>> m_humidities;
};

const QString kStopped = QStringLiteral("the reading was stopped");

// The rows of a file as decode() reads them, turned into rows as the table shows them.
class ShownRows : public brv2::RowSink
{
public:
    ShownRows(bool fahrenheit, qsizetype fileSize, const Progress &progress, RowTaker &taker)
        : m_fahrenheit(fahrenheit), m_fileSize(std::max<qsizetype>(fileSize, 1)),
          m_progress(progress), m_taker(taker)
    {}

    void begin(const brv2::Content &header, qsizetype rows) override
    {
        m_reader.emplace(header.model, m_fahrenheit);
        m_taker.expect(rows);
    }

    QString row(const QString *fields, int, qsizetype position) override
    {
        ++m_rows;
        ShownRow row;
        if (const char *what = m_reader->read(fields, row))
            return QStringLiteral("row %1: %2").arg(m_rows).arg(QLatin1String(what));
        m_taker.take(std::move(row));
        if (m_progress && m_rows % kRowsBetweenReports == 0 &&
            !m_progress(int(position * kProgressMax / m_fileSize)))
            return kStopped;
        return QString();
    }

private:
    static constexpr qsizetype kRowsBetweenReports = 4096;
    const bool m_fahrenheit;
    std::optional<RowReader> m_reader; // for the file's model
    const qsizetype m_fileSize;
    const Progress &m_progress;
    RowTaker &m_taker;
    qsizetype m_rows = 0;
};

// Keeps the rows for showing them.
class KeepShown : public RowTaker
{
public:
    explicit KeepShown(std::vector<ShownRow> &rows) : m_rows(rows) {}
    void expect(qsizetype rows) override { m_rows.reserve(size_t(rows)); }
    void take(ShownRow &&row) override { m_rows.push_back(std::move(row)); }

private:
    std::vector<ShownRow> &m_rows;
};

} // namespace

QByteArray encode(const ReadingSet &set, int dataKind)
{
    if (dataKind == kDownloaded) {
        const QByteArray image(reinterpret_cast<const char *>(set.MemImage.data()), set.ImageLen);
        return brv2::encodeImage(set.MODEL, image);
    }
    const ReadingsTable &t = set.table();
    const int fields = brv2::rowFieldCount(set.MODEL);
    QByteArray out = brv2::rowsHeader(set.MODEL, set.ImageLen, dataKind, set.locationCaption(),
                                      set.SerialText());
    if (fields > 0) {
        for (int r = 1; r < t.rows(); ++r) {
            const QString value = storedValue(set, r);
            if (fields == 4)
                brv2::appendRow(out, {t.text(r, 1), t.text(r, 2), value, t.text(r, kHumidityCol)});
            else
                brv2::appendRow(out, {t.text(r, 1), t.text(r, 2), value});
        }
    }
    return out;
}

bool save(const ReadingSet &set, int dataKind, const QString &path, QString *error)
{
    return outputfile::write(path, encode(set, dataKind), error);
}

Loaded load(const QByteArray &bytes, bool fahrenheit, const Progress &progress, RowTaker *rows)
{
    Loaded out;
    out.fahrenheit = fahrenheit;
    KeepShown keep(out.rows);
    ShownRows shown(fahrenheit, bytes.size(), progress, rows ? *rows : keep);
    out.content = brv2::decode(bytes, shown);
    out.opened.reason = out.content.reason;
    switch (out.content.status) {
    case brv2::Content::Status::FileCorrupted:
        out.opened.status = Status::FileCorrupted;
        break;
    case brv2::Content::Status::FileError:
        break;
    case brv2::Content::Status::Ok:
        // Too short to hold a trailer: nothing in it can be shown.
        if (out.content.isImage() && out.content.image.size() < memimage::kOverhead) {
            out.opened.reason = QStringLiteral("the image holds %1 bytes, fewer than the %2 of a "
                                               "lead-in and trailer")
                                    .arg(out.content.image.size())
                                    .arg(memimage::kOverhead);
            break;
        }
        out.opened.status = Status::Ok;
        out.opened.dataKind = out.content.dataKind;
        break;
    }
    if (out.opened.status != Status::Ok)
        out.rows = {};
    return out;
}

Loaded loadFile(const QString &path, bool fahrenheit, const Progress &progress)
{
    QString reason;
    const std::optional<QByteArray> bytes = brv2::readBytes(path, &reason);
    if (!bytes) {
        Loaded failed;
        failed.opened.reason = reason;
        return failed;
    }
    return load(*bytes, fahrenheit, progress);
}

Opened show(ReadingSet &set, Loaded loaded)
{
    if (loaded.opened.status != Status::Ok)
        return loaded.opened;
    const brv2::Content &c = loaded.content;
    if (c.isImage()) {
        imageload::showImage(set, c.image, c.model);
        return loaded.opened;
    }
    ReadingsTable &t = set.table();
    t.beginBatch();
    t.setRows(1);
    set.MODEL = quint8(c.model);
    set.ImageLen = qBound(0, c.imageLen, ReadingSet::kMemImageSize);
    set.setFileIdentity(c.serialCaption, c.locationCaption);
    set.Format_Grid();
    t.setRows(int(loaded.rows.size()) + 1);
    const bool humidity = t.cols() > kHumidityCol;
    // Shown in this machine's form, whatever form the file has.
    datetext::SharedTexts texts;
    for (size_t i = 0; i < loaded.rows.size(); ++i) {
        const ShownRow &row = loaded.rows[i];
        const int r = int(i) + 1;
        t.setValue(r, kNumberCol, set.rowNumberText(r), r);
        t.setMoment(r, row.date, row.time, texts.date(row.date), texts.time(row.time));
        t.setValue(r, kValueCol, row.value, row.valueNumber, isInvalidText(row.value));
        if (humidity)
            t.setValue(r, kHumidityCol, row.humidity, row.humidityNumber,
                       isInvalidText(row.humidity));
    }
    t.endBatch();
    return loaded.opened;
}

Opened open(ReadingSet &set, const QString &path)
{
    return show(set, loadFile(path, set.Cels_Faren == 0));
}

Opened openBytes(ReadingSet &set, const QByteArray &bytes)
{
    return show(set, load(bytes, set.Cels_Faren == 0));
}

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
