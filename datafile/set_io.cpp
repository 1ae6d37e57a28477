#include "datafile/set_io.h"

#include "acquisition/conversions.h"
#include "acquisition/image_loader.h"
#include "acquisition/reading_set.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "common/prompter.h"
#include "datafile/brv2_file.h"
#include "view/readings_table.h"
#include "view/table_texts.h"

#include <QLocale>

#include <optional>

namespace setio {
namespace {

using namespace tablecol;

bool isInvalidText(const QString &t) { return t == tabletext::kInvalid; }

// A date text of this machine's form; texts of other common forms (a file from a machine with
// other regional settings) are read too and shown in this machine's form.
std::optional<QString> normalisedDate(const QString &text)
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
    return datetext::dateText(d);
}

std::optional<QString> normalisedTime(const QString &text)
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
    return datetext::timeText(t);
}

// The text of a stored value as the table shows it, or nullopt for a value that is no number.
std::optional<QString> valueCell(const QString &stored, const char *pattern, bool toFahrenheit)
{
    if (isInvalidText(stored))
        return stored;
    double v = 0;
    if (!numfmt::parse(stored, &v))
        return std::nullopt;
    if (toFahrenheit)
        return numfmt::picture(sensor::Conv_Faren(v), "#00.00");
    if (!pattern)
        return numfmt::plain(v);
    return numfmt::picture(v, pattern);
}

// The value of column 3 as it is stored: temperatures in degC.
QString storedValue(const ReadingSet &set, const QString &shown)
{
    if (!model::hasTemperature(set.MODEL) || set.Cels_Faren != 0 || isInvalidText(shown))
        return shown;
    double f = 0;
    if (!numfmt::parse(shown, &f))
        return shown;
    return numfmt::plain(sensor::Conv_Celsius(f));
}

struct RowTable
{
    QList<std::array<QString, 5>> rows;
    QList<std::array<bool, 5>> red;
};

// Builds the table cells of a row file, or nullopt when a row does not hold what it must.
std::optional<RowTable> rowCells(const brv2::Content &c, bool fahrenheit)
{
    RowTable out;
    const model::Family fam = model::family(c.model);
    const bool temperature = model::hasTemperature(c.model);
    const char *pattern = fam == model::Family::Voltage ? "#0.000"
                          : fam == model::Family::CO2   ? nullptr
                                                        : "#00.0";
    out.rows.reserve(c.rows.size());
    out.red.reserve(c.rows.size());
    int r = 0;
    for (const QStringList &row : c.rows) {
        ++r;
        const auto date = normalisedDate(row.at(0));
        const auto time = normalisedTime(row.at(1));
        const auto value = valueCell(row.at(2), pattern, temperature && fahrenheit);
        if (!date || !time || !value)
            return std::nullopt;
        std::array<QString, 5> cells{QString::number(r), *date, *time, *value, QString()};
        std::array<bool, 5> red{false, false, false, isInvalidText(*value), false};
        if (model::isHumidity(c.model)) {
            const auto h = valueCell(row.at(3), "#00.0", false);
            if (!h)
                return std::nullopt;
            cells[kHumidityCol] = *h;
            red[kHumidityCol] = isInvalidText(*h);
        }
        out.rows.append(cells);
        out.red.append(red);
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
            QStringList row{t.text(r, 1), t.text(r, 2), storedValue(set, t.text(r, kValueCol))};
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
    return brv2::writeFileAtomically(path, encode(set, dataKind), error);
}

Opened open(ReadingSet &set, const QString &path)
{
    const brv2::Content c = brv2::readFile(path);
    Opened out;
    if (c.status == brv2::Content::Status::FileCorrupted) {
        out.status = Status::FileCorrupted;
        return out;
    }
    if (c.status != brv2::Content::Status::Ok)
        return out;
    if (c.isImage()) {
        // Too short to hold a trailer: nothing in it can be shown.
        if (c.image.size() < 46)
            return out;
        imageload::showImage(set, c.image, c.model);
        out.status = Status::Ok;
        out.dataKind = c.dataKind;
        return out;
    }
    const auto cells = rowCells(c, set.Cels_Faren == 0);
    if (!cells)
        return out;
    ReadingsTable &t = set.table();
    t.beginBatch();
    t.setRows(1);
    set.MODEL = quint8(c.model);
    set.ImageLen = qBound(0, c.imageLen, ReadingSet::kMemImageSize);
    set.setLocationCaption(c.locationCaption);
    set.setSerialText(c.serialCaption);
    set.Format_Grid();
    t.setRows(int(cells->rows.size()) + 1);
    const int cols = t.cols();
    for (int i = 0; i < cells->rows.size(); ++i)
        for (int col = 0; col < cols && col < 5; ++col)
            t.setCell(i + 1, col, cells->rows[i][col], cells->red[i][col]);
    t.endBatch();
    out.status = Status::Ok;
    out.dataKind = c.dataKind;
    return out;
}

void report(Status status, Prompter &prompter)
{
    switch (status) {
    case Status::Ok:
        break;
    case Status::FileCorrupted:
        prompter.message(msg::kFileCorrupted);
        break;
    case Status::FileError:
        prompter.message(msg::kFileError);
        break;
    }
}

} // namespace setio
