#include "analysis/quantity.h"

#include "acquisition/conversions.h"
#include "common/model_codes.h"
#include "common/numfmt.h"

namespace analysis {

QString key(Quantity q)
{
    switch (q) {
    case Quantity::Temperature:
        return QStringLiteral("temperature");
    case Quantity::Humidity:
        return QStringLiteral("humidity");
    case Quantity::Voltage:
        return QStringLiteral("voltage");
    case Quantity::CO2:
        return QStringLiteral("co2");
    }
    return {};
}

QString caption(Quantity q)
{
    switch (q) {
    case Quantity::Temperature:
        return QStringLiteral("Temperature");
    case Quantity::Humidity:
        return QStringLiteral("Humidity");
    case Quantity::Voltage:
        return QStringLiteral("Voltage");
    case Quantity::CO2:
        return QStringLiteral("CO2");
    }
    return {};
}

QString unit(Quantity q, bool fahrenheit)
{
    switch (q) {
    case Quantity::Temperature:
        return fahrenheit ? QStringLiteral("°F") : QStringLiteral("°C");
    case Quantity::Humidity:
        return QStringLiteral("%");
    case Quantity::Voltage:
        return QStringLiteral("V");
    case Quantity::CO2:
        return QStringLiteral("ppm");
    }
    return {};
}

QString valueText(Quantity q, double v, bool fahrenheit)
{
    switch (q) {
    case Quantity::Temperature:
        return numfmt::picture(v, fahrenheit ? "#0.00" : "#0.0");
    case Quantity::Humidity:
        return numfmt::picture(v, "#0.0");
    case Quantity::Voltage:
        return numfmt::picture(v, "#0.000");
    case Quantity::CO2:
        return numfmt::picture(v, "#0");
    }
    return {};
}

std::vector<Quantity> sensorsOf(int code)
{
    switch (model::family(code)) {
    case model::Family::Temperature:
        return {Quantity::Temperature};
    case model::Family::Humidity:
        return {Quantity::Temperature, Quantity::Humidity};
    case model::Family::Voltage:
        return {Quantity::Voltage};
    case model::Family::CO2:
        return {Quantity::CO2};
    case model::Family::Unknown:
        break;
    }
    return {};
}

double temperatureShown(double celsius, bool fahrenheit)
{
    return fahrenheit ? numfmt::roundHalfEven(sensor::Conv_Faren(celsius), 2) : celsius;
}

double shown(Quantity q, double storedValue, bool fahrenheit)
{
    return q == Quantity::Temperature ? temperatureShown(storedValue, fahrenheit) : storedValue;
}

double stored(Quantity q, double shownValue, bool fahrenheit)
{
    return q == Quantity::Temperature && fahrenheit ? sensor::Conv_Celsius(shownValue) : shownValue;
}

} // namespace analysis
