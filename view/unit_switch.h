#pragma once

#include <QtGlobal>

class ReadingsTable;

// The temperature unit of the readings table. Column 3 and the flag `Cels_Faren` change together
// (-1: degrees Celsius, 0: Fahrenheit), so between switches the flag always describes the table.
// The switch works on the numbers as shown: a displayed 23.4 degC becomes 74.12 degF and,
// switched back, 23.4 again. "***" cells have no number and keep their marker; the humidity column
// is never touched.
namespace units {

// Both return whether the table was converted; a table already in the unit is left alone.
bool toCelsius(ReadingsTable &table, qint16 &celsFaren);
bool toFahrenheit(ReadingsTable &table, qint16 &celsFaren);

} // namespace units
