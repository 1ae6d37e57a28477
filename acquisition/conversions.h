#pragma once

#include <QtGlobal>

// Sensor conversions from raw reading words (0 to 65535) to engineering values. Any input a
// sensor cannot have produced gives the invalid value 9999.0; the table shows it as "***".
namespace sensor {

inline constexpr double kInvalid = 9999.0;
inline bool isInvalid(double v)
{
    return v == kInvalid;
}

// Temperature group: the sensor's count falls as the temperature rises. Counts 157 to 918 map
// piecewise linearly onto +70 .. -30 degC; anything else is invalid.
double Calc_Temp(qint32 value);

// Humidity group, temperature word: raw x 0.01 - 39.6, valid from -30 to 70 degC.
double Calc_RHTemp(qint32 value);

// Humidity group, humidity word `so` compensated with the temperature `tempC`. Invalid when the
// temperature is above 70 (which includes the invalid 9999) or the word is 0, or when the
// result is below 1 %; above 99.9 % it is clamped to 99.9.
double Calc_RH(qint32 so, double tempC);

// Voltage: raw x 2.5 / 1023 (no range check).
double Calc_Volt(qint32 value);

// CO2 in ppm: 2000 x raw / 1023 rounded to a whole number (a half to the even neighbour) for
// the CO2 model; 0 for any other model code.
double Calc_CO2(qint32 value, int model);

// Unit conversions; they work on any value, 9999 included (callers skip "***" cells).
double Conv_Faren(double celsius);
double Conv_Celsius(double fahrenheit);

} // namespace sensor
