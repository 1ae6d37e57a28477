#include "acquisition/conversions.h"

#include "common/model_codes.h"
#include "common/numfmt.h"

#include <array>

namespace sensor {
namespace {

// One segment of the temperature sensor's characteristic: counts from `low` to `anchor`
// (inclusive) cover 5 degrees upwards from `base`, over `span` counts.
struct Segment
{
    int low;
    int anchor;
    int span;
    int base;
};

// Ordered from the coldest (highest count) to the warmest.
constexpr std::array<Segment, 20> kSegments{{
    {893, 918, 26, -30}, {864, 892, 29, -25}, {829, 863, 35, -20}, {792, 828, 37, -15},
    {750, 791, 42, -10}, {707, 749, 43, -5},  {657, 706, 50, 0},   {609, 656, 48, 5},
    {559, 608, 50, 10},  {505, 558, 54, 15},  {461, 504, 44, 20},  {419, 460, 42, 25},
    {370, 418, 49, 30},  {332, 369, 38, 35},  {296, 331, 36, 40},  {255, 295, 41, 45},
    {233, 254, 22, 50},  {209, 232, 24, 55},  {181, 208, 28, 60},  {158, 180, 23, 65},
}};

constexpr int kWarmest = 157; // exactly +70 degC
constexpr int kColdest = 918; // exactly -30 degC

static_assert(kSegments.front().base == kTemperatureRange.low &&
              kSegments.back().base + 5 == kTemperatureRange.high);

} // namespace

Range valueRange(int model)
{
    switch (model::family(model)) {
    case model::Family::Temperature:
    case model::Family::Humidity:
        return kTemperatureRange;
    case model::Family::Voltage:
        return kVoltageRange;
    case model::Family::CO2:
        return kCO2Range;
    case model::Family::Unknown:
        break;
    }
    return Range{};
}

double Calc_Temp(qint32 value)
{
    if (value < kWarmest || value > kColdest)
        return kInvalid;
    if (value == kWarmest)
        return kTemperatureRange.high;
    for (const Segment &s : kSegments) {
        if (value >= s.low)
            return s.base + 5.0 * (s.anchor - value) / s.span;
    }
    return kInvalid; // not reached: the segments cover 158 to 918
}

double Calc_RHTemp(qint32 value)
{
    const double t = value * 0.01 - 39.6;
    return kTemperatureRange.contains(t) ? t : kInvalid;
}

double Calc_RH(qint32 so, double tempC)
{
    if (tempC > kTemperatureRange.high || so == 0)
        return kInvalid;
    const double s = so;
    const double linear = -4.0 + 0.0405 * s - 0.0000028 * s * s;
    const double rh = (tempC - 25.0) * (0.01 + 0.00008 * s) + linear;
    if (rh > kHumidityRange.high)
        return kHumidityRange.high;
    if (rh < kHumidityRange.low)
        return kInvalid;
    return rh;
}

double Calc_Volt(qint32 value)
{
    return value * kVoltsFullScale / 1023;
}

double Calc_CO2(qint32 value, int model)
{
    const double factor = model == model::kRV420 ? kPpmFullScale : 0.0;
    return numfmt::roundHalfEven(factor * value / 1023, 0);
}

double Conv_Faren(double celsius)
{
    return celsius * 1.8 + 32;
}

double Conv_Celsius(double fahrenheit)
{
    return (fahrenheit - 32) / 1.8;
}

} // namespace sensor
