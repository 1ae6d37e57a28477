#pragma once

#include <QString>

// Model codes reported by the loggers (one byte) and what follows from them. Everything that
// describes a logger, converts, lays out, saves or prints readings branches on the model
// through these helpers, so the families are decided in one place.
namespace model {

// The codes the loggers produce.
inline constexpr int kRV110 = 1;
inline constexpr int kRV210 = 2;
inline constexpr int kRV410 = 3;
inline constexpr int kRV120 = 4;
inline constexpr int kRV120b = 5;
inline constexpr int kRV220 = 6;
inline constexpr int kRV310 = 7;
inline constexpr int kRV320 = 8;
inline constexpr int kRV420 = 32;

enum class Family {
    Temperature, // 1, 4, 5, 7, 8: one temperature word per reading
    Humidity,    // 2, 6: a temperature word, then a humidity word
    Voltage,     // 3
    CO2,         // 32
    Unknown      // any other code: no conversion, no layout
};

Family family(int code);

// True for the models whose table has a temperature column (temperature and humidity
// families): they get the unit options and the degC/degF handling.
bool hasTemperature(int code);
bool isHumidity(int code);

// Raw words per reading. An unknown code counts as two words, as the table filling always
// treated it; the loggers never report one.
int wordsPerReading(int code);
inline int bytesPerReading(int code)
{
    return 2 * wordsPerReading(code);
}

// The most data a logger reports: 32000 bytes, 16000 words.
inline constexpr int kMaxDataBytes = 32000;
inline constexpr int kMaxDataWords = kMaxDataBytes / 2;
// Readings a full memory holds for the model.
inline int capacity(int code)
{
    return kMaxDataWords / wordsPerReading(code);
}

// "RV-110", "RV-120", ... "RV-420(CO2 0-2000 PPM)"; empty for an unknown code.
QString label(int code);

} // namespace model
