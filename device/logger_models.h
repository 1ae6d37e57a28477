#pragma once

#include <QString>

#include <optional>

// What the Device Details dialog needs to know of a model code from the parameter block: the
// label it shows, how many bytes one reading takes in the logger's memory and how many readings
// a full memory holds. Codes the loggers never report have no label; they count four bytes a
// reading, as the memory arithmetic has always assumed.
namespace loggermodels {

// "RV-110", ... "RV-420(CO2 0-2000 PPM)"; nullopt for a code no logger reports.
std::optional<QString> label(int code);
// 4 for the humidity models (a temperature and a humidity word) and unknown codes, else 2.
int bytesPerReading(int code);
// Readings in a full memory: 16000 at two bytes a reading, 8000 otherwise.
int capacity(int code);

} // namespace loggermodels
