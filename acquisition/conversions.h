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

// What a sensor can report, in its engineering unit (temperatures in degC), bounds included.
// The conversions give nothing else but the invalid value, and a value read back from
// elsewhere (a row file) outside its range is no reading of the sensor either.
struct Range
{
    double low = 0;
    double high = 0;
    constexpr bool contains(double v) const { return v >= low && v <= high; }
};

inline constexpr qint32 kLargestWord = 65535;
inline constexpr double kVoltsFullScale = 2.5;  // at count 1023 of the converter
inline constexpr double kPpmFullScale = 2000.0; // likewise, for the CO2 model

inline constexpr Range kTemperatureRange{-30.0, 70.0};
inline constexpr Range kHumidityRange{1.0, 99.9};
// What the voltage and CO2 conversions make of every word from 0 to the largest (the CO2
// value rounded to a whole number: 128123.17 is no half, so either rounding gives 128123).
inline constexpr Range kVoltageRange{0.0, kLargestWord * kVoltsFullScale / 1023};
inline constexpr Range kCO2Range{0.0, double(qint64(kPpmFullScale * kLargestWord / 1023 + 0.5))};

// The range of a model's value column (temperature, voltage or CO2); a zero-width range for
// an unknown model code, which has no conversion.
Range valueRange(int model);

// Temperature group: the sensor's count falls as the temperature rises. Counts 157 to 918 map
// piecewise linearly onto the temperature range, +70 .. -30 degC; anything else is invalid.
double Calc_Temp(qint32 value);

// Humidity group, temperature word: raw x 0.01 - 39.6, valid from -30 to 70 degC.
double Calc_RHTemp(qint32 value);

// Humidity group, humidity word `so` compensated with the temperature `tempC`. Invalid when the
// temperature is above 70 (which includes the invalid 9999) or the word is 0, or when the
// result is below 1 %; above 99.9 % it is clamped to 99.9.
double Calc_RH(qint32 so, double tempC);

// Voltage: raw x 2.5 / 1023 (no range check: every word is a voltage of kVoltageRange).
double Calc_Volt(qint32 value);

// CO2 in ppm: 2000 x raw / 1023 rounded to a whole number (a half to the even neighbour) for
// the CO2 model; 0 for any other model code.
double Calc_CO2(qint32 value, int model);

// Unit conversions; they work on any value, 9999 included (callers skip "***" cells).
double Conv_Faren(double celsius);
double Conv_Celsius(double fahrenheit);

} // namespace sensor
