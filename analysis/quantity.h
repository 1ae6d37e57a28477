#pragma once

#include <QString>

#include <array>
#include <vector>

// The measured quantities that limits and the summary speak of. Temperatures are kept in
// degrees Celsius and shown in the table's unit; the others have one unit each.
namespace analysis {

enum class Quantity { Temperature, Humidity, Voltage, CO2 };

inline constexpr int kQuantityCount = 4;
inline constexpr std::array<Quantity, kQuantityCount> kQuantities{
    Quantity::Temperature, Quantity::Humidity, Quantity::Voltage, Quantity::CO2};

inline constexpr int index(Quantity q)
{
    return int(q);
}

// "temperature", "humidity", "voltage", "co2": the keys of settings and of the JSON output.
QString key(Quantity q);
// "Temperature", "Humidity", "Voltage", "CO2": captions for people.
QString caption(Quantity q);
// "°C" / "°F" (temperature, by the unit shown), "%", "V", "ppm".
QString unit(Quantity q, bool fahrenheit);

// A value with the decimals the table gives the quantity (°C one, °F two, % one, V three,
// ppm none), without the table's leading zero: "20.0", "68.00", "2.500", "450".
QString valueText(Quantity q, double v, bool fahrenheit);

// The sensors of a model in the table's column order: the value column's quantity, then
// humidity for the humidity models. Empty for an unknown model code.
std::vector<Quantity> sensorsOf(int model);

// A temperature kept in °C as the table shows it: unchanged in °C; in °F converted and rounded
// to the two decimals the table's °F column has, so a limit typed in °F reads back as typed.
double temperatureShown(double celsius, bool fahrenheit);
// A value of `q` in the unit shown, from its stored form (only temperatures change).
double shown(Quantity q, double stored, bool fahrenheit);
// The inverse: a value typed or shown in the table's unit to its stored form.
double stored(Quantity q, double shownValue, bool fahrenheit);

} // namespace analysis
