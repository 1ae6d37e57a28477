#pragma once

#include <QByteArray>

class ReadingSet;
namespace loggersim {
class LoggerCore;
}

// Realistic input for the figures: full memories as the simulated logger sends them.
namespace bench {

// The readings of a full memory, with a share of failed-sensor words shown as "***".
inline constexpr int kTemperatureModel = 1; // RV-110: one word per reading
inline constexpr int kHumidityModel = 2;    // RV-210: temperature and humidity words
inline constexpr int kTemperatureReadings = 16000;
inline constexpr int kHumidityReadings = 8000;

// Sets up a logger of `model` holding `readings` readings taken every 5 minutes up to a fixed
// clock, 2 % of them invalid, enabled with a serial number and a location.
void setUpLogger(loggersim::LoggerCore &core, int model, int readings);

// The memory image of such a logger as it comes off the line (made once, then kept).
const QByteArray &fullMemoryImage(int model);

// What a finished download or an opened image file puts into the reading set: model, words,
// image, interval, newest time and captions. The table is not filled.
void setFromImage(ReadingSet &set, int model, const QByteArray &image);

} // namespace bench
