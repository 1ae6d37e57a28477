#include "acquisition/reading_set.h"

#include "acquisition/conversions.h"
#include "acquisition/image_loader.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/datetext.h"
#include "common/model_codes.h"
#include "common/numfmt.h"


#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

namespace {

using namespace tablecol;

int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The time of day of the working values. Valid intervals never leave a component out of range
// after the single borrow; a damaged header or file could, and then the text still shows the
// moment the components add up to rather than nothing.
QTime timeOfDay(int hour, int minute, int second)
{
    if (hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60)
        return QTime(hour, minute, second);
    const qint64 total = (qint64(hour) * 3600 + qint64(minute) * 60 + second) % 86400;
    return QTime::fromMSecsSinceStartOfDay(int((total + 86400) % 86400) * 1000);
}

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The text of a value cell and the number it shows (NaN for "***").
struct ValueText
{
    QString text;
    double shown = kNoValue;
    // For a temperature: the degC value the humidity is compensated with.
    double compensation = 0;
    bool invalid = false;
};

ValueText shownAs(QString text, double compensation)
{
    ValueText out{std::move(text), kNoValue, compensation};
    numfmt::parse(out.text, &out.shown);
    return out;
}

ValueText formatted(double v, const char *pattern)
{
    if (sensor::isInvalid(v))
        return {tabletext::kInvalid, kNoValue, v, true};
    return shownAs(numfmt::picture(v, pattern), v);
}

// A temperature cell: degC "#00.0", degF "#00.00". In Fahrenheit the number converted is the
// one the degC text showed, rounded to one decimal. The humidity of the same reading is
// compensated with the reading's own temperature whatever the unit shown: one reading has
// one humidity.
ValueText temperatureText(double celsius, bool fahrenheit)
{
    ValueText out = formatted(celsius, "#00.0");
    if (fahrenheit && !out.invalid)
        out = shownAs(numfmt::picture(sensor::Conv_Faren(out.shown), "#00.00"), celsius);
    return out;
}

// Value texts that depend on the raw word alone, made once per distinct word: a full memory
// of 16000 readings holds only a few hundred distinct words, and equal texts then share one
// string instead of being formatted and allocated again.
class WordTexts
{
public:
    template <class Make>
    WordTexts(int size, Make make) : m_slots(size), m_made(size, false), m_make(make)
    {}

    const ValueText &operator()(qint32 raw)
    {
        if (raw < 0 || raw >= int(m_slots.size())) {
            m_spare = m_make(raw);
            return m_spare;
        }
        if (!m_made[raw]) {
            m_slots[raw] = m_make(raw);
            m_made[raw] = true;
        }
        return m_slots[raw];
    }

private:
    std::vector<ValueText> m_slots;
    std::vector<bool> m_made;
    std::function<ValueText(qint32)> m_make;
    ValueText m_spare;
};

// Words the sensors produce: the temperature sensor counts up to 918, the humidity group's
// temperature word is valid up to 10960, the voltage and CO2 converters have 10 bits.
constexpr int kTempWords = 919;
constexpr int kRHTempWords = 10961;
constexpr int kAdcWords = 1024;

} // namespace

ReadingSet::ReadingSet(QObject *parent) : QObject(parent), m_table(new ReadingsTable(this))
{
    m_table->setCols(3);
    m_table->setText(0, kNumberCol, tabletext::kNumber);
    m_table->setText(0, kDateCol, tabletext::kDate);
    m_table->setText(0, kTimeCol, tabletext::kTime);
    Align_Grid();
}

ReadingSet::~ReadingSet() = default;

void ReadingSet::setNewestReading(int day, int month, int twoDigitYear, int hour, int minute,
                                  int second)
{
    Day = day;
    Month = month;
    Year = twoDigitYear;
    Hour = hour;
    Minute = minute;
    Second = second;
    RefDate = dateSerial(fullYear(twoDigitYear), month, day);
    RefTime = timeOfDay(hour, minute, second);
}

int ReadingSet::fullYear(int twoDigitYear)
{
    if (twoDigitYear >= 0 && twoDigitYear <= 29)
        return 2000 + twoDigitYear;
    if (twoDigitYear >= 30 && twoDigitYear <= 99)
        return 1900 + twoDigitYear;
    return twoDigitYear;
}

QDate ReadingSet::dateSerial(int year, int month, int day)
{
    const int m0 = month - 1;
    const int y = year + floorDiv(m0, 12);
    const int m = m0 - 12 * floorDiv(m0, 12) + 1;
    return QDate(y, m, 1).addDays(day - 1);
}

void ReadingSet::setSerialText(const QString &text)
{
    if (text == m_serialText)
        return;
    m_serialText = text;
    Q_EMIT serialTextChanged(m_serialText);
}

void ReadingSet::setLoggerIdentity(const LoggerIdentity &identity, const QString &location16)
{
    setSerialText(QLatin1String(imageload::kSerialPrefix) + identity.serialText());
    setLocationText(location16);
    setIdentity(identity);
}

void ReadingSet::setFileIdentity(const QString &serialCaption, const QString &locationCaption)
{
    setSerialText(serialCaption);
    setLocationCaption(locationCaption);
    setIdentity(LoggerIdentity::fromCaptions(serialCaption, locationCaption));
}

void ReadingSet::setIdentity(const LoggerIdentity &identity)
{
    if (identity == m_identity)
        return;
    m_identity = identity;
    Q_EMIT identityChanged();
}

void ReadingSet::setLocationText(const QString &location)
{
    setLocationCaption(QStringLiteral(":    ") + location);
}

void ReadingSet::setLocationCaption(const QString &caption)
{
    if (caption == m_locationCaption)
        return;
    m_locationCaption = caption;
    Q_EMIT locationCaptionChanged(m_locationCaption);
}

void ReadingSet::setUnitCaptions(const QString &valueUnit, const QString &humidityUnit)
{
    if (valueUnit == m_valueUnit && humidityUnit == m_humidityUnit)
        return;
    m_valueUnit = valueUnit;
    m_humidityUnit = humidityUnit;
    Q_EMIT unitCaptionsChanged(m_valueUnit, m_humidityUnit);
}

void ReadingSet::setUnitOptionsVisible(bool visible)
{
    if (visible == m_unitOptionsVisible)
        return;
    m_unitOptionsVisible = visible;
    Q_EMIT unitOptionsVisibleChanged(visible);
}

void ReadingSet::Format_Grid()
{
    ReadingsTable &t = *m_table;
    switch (model::family(MODEL)) {
    case model::Family::Temperature:
    case model::Family::Humidity:
        t.setCols(model::isHumidity(MODEL) ? 5 : 4);
        setUnitOptionsVisible(true);
        t.setText(0, kValueCol, Cels_Faren == 0 ? tabletext::kTempF : tabletext::kTempC);
        if (model::isHumidity(MODEL))
            t.setText(0, kHumidityCol, tabletext::kRh);
        break;
    case model::Family::Voltage:
        t.setCols(4);
        setUnitOptionsVisible(false);
        t.setText(0, kValueCol, tabletext::kVoltage);
        break;
    case model::Family::CO2:
        t.setCols(4);
        setUnitOptionsVisible(false);
        t.setText(0, kValueCol, tabletext::kCo2);
        break;
    case model::Family::Unknown:
        break;
    }
    Align_Grid();
}

void ReadingSet::Align_Grid()
{
    for (int c = 0; c < m_table->cols(); ++c)
        m_table->setColumnAlignment(c, Qt::AlignHCenter | Qt::AlignTop);
}

void ReadingSet::Put_Unit()
{
    // The whole temperature family shows its unit, not only one of its models: the cursor
    // read-out and the graph printout take the unit from here.
    const QString &temperature = Cels_Faren == 0 ? tabletext::kUnitF : tabletext::kUnitC;
    switch (model::family(MODEL)) {
    case model::Family::Temperature:
        setUnitCaptions(temperature, QString());
        break;
    case model::Family::Humidity:
        setUnitCaptions(temperature, tabletext::kUnitRh);
        break;
    case model::Family::Voltage:
        setUnitCaptions(tabletext::kUnitVolt, QString());
        break;
    case model::Family::CO2:
        setUnitCaptions(tabletext::kUnitCo2, QString());
        break;
    case model::Family::Unknown:
        setUnitCaptions(QString(), QString());
        break;
    }
}

int ReadingSet::readingCount() const
{
    return m_table->rows() - 1;
}

QDateTime ReadingSet::readingTime(int i) const
{
    return m_table->readingTime(i);
}

std::optional<double> ReadingSet::value(int i) const
{
    return m_table->number(i, kValueCol);
}

std::optional<double> ReadingSet::humidity(int i) const
{
    return m_table->number(i, kHumidityCol);
}

const QString &ReadingSet::rowNumberText(int r)
{
    while (int(m_rowNumbers.size()) <= r)
        m_rowNumbers.push_back(QString::number(int(m_rowNumbers.size())));
    return m_rowNumbers[r];
}

void ReadingSet::Fill_Grid()
{
    int second = Second;
    int minute = Minute;
    int hour = Hour;
    QDate date = dateSerial(fullYear(Year), Month, Day);
    const model::Family family = model::family(MODEL);
    const bool fahrenheit = Cels_Faren == 0;
    const int code = MODEL;
    // Whole readings only: an odd word count of a two-word model leaves its last word out.
    const int n = std::clamp<int>(NoOfReadings, 0, kRawDataSize) / model::wordsPerReading(MODEL);

    ReadingsTable &t = *m_table;
    t.beginBatch();
    t.setRows(1); // nothing of the previous set survives, colours included
    t.setRows(n + 1);
    Format_Grid();

    const auto sized = [family](model::Family f, int words) { return family == f ? words : 0; };
    WordTexts temperature(sized(model::Family::Temperature, kTempWords), [fahrenheit](qint32 raw) {
        return temperatureText(sensor::Calc_Temp(raw), fahrenheit);
    });
    WordTexts rhTemperature(sized(model::Family::Humidity, kRHTempWords), [fahrenheit](qint32 raw) {
        return temperatureText(sensor::Calc_RHTemp(raw), fahrenheit);
    });
    WordTexts volts(sized(model::Family::Voltage, kAdcWords),
                    [](qint32 raw) { return formatted(sensor::Calc_Volt(raw), "#0.000"); });
    WordTexts ppm(sized(model::Family::CO2, kAdcWords), [code](qint32 raw) {
        const double v = sensor::Calc_CO2(raw, code);
        return sensor::isInvalid(v) ? ValueText{tabletext::kInvalid, kNoValue, v, true}
                                    : shownAs(numfmt::plain(v), v);
    });

    datetext::SharedTexts texts;
    for (int i = n; i >= 1; --i) {
        switch (family) {
        case model::Family::Temperature: {
            const ValueText &v = temperature(RawData[i - 1]);
            t.setValue(i, kValueCol, v.text, v.shown, v.invalid);
            break;
        }
        case model::Family::Humidity: {
            const ValueText &v = rhTemperature(RawData[2 * i - 2]);
            t.setValue(i, kValueCol, v.text, v.shown, v.invalid);
            const ValueText h =
                formatted(sensor::Calc_RH(RawData[2 * i - 1], v.compensation), "#00.0");
            t.setValue(i, kHumidityCol, h.text, h.shown, h.invalid);
            break;
        }
        case model::Family::Voltage: {
            const ValueText &v = volts(RawData[i - 1]);
            t.setValue(i, kValueCol, v.text, v.shown, v.invalid);
            break;
        }
        case model::Family::CO2: {
            const ValueText &v = ppm(RawData[i - 1]);
            t.setValue(i, kValueCol, v.text, v.shown, v.invalid);
            break;
        }
        case model::Family::Unknown:
            break;
        }
        t.setValue(i, kNumberCol, rowNumberText(i), i);
        const QTime time = timeOfDay(hour, minute, second);
        t.setMoment(i, date, time, texts.date(date), texts.time(time));

        // One interval back, with a single borrow per unit.
        switch (IntvUnit) {
        case 'S':
            second -= IntvValue;
            break;
        case 'M':
            minute -= IntvValue;
            break;
        case 'H':
            hour -= IntvValue;
            break;
        default:
            break; // an unknown unit leaves every row at the same time
        }
        if (second < 0) {
            second += 60;
            --minute;
        }
        if (minute < 0) {
            minute += 60;
            --hour;
        }
        if (hour < 0) {
            hour += 24;
            date = date.addDays(-1);
        }
    }
    t.endBatch();
}
