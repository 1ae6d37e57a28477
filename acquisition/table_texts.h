#pragma once

#include <QString>

// Texts of the readings table and of the unit captions above the graph's axes. Readers of the
// table (graph, printing, export, files) compare against these, so they are never retyped.
namespace tabletext {

// Headings of the fixed row. The leading blanks are part of the headings.
inline const QString kNumber = QStringLiteral(" S.No");
inline const QString kDate = QStringLiteral(" Date");
inline const QString kTime = QStringLiteral(" Time");
inline const QString kTempC = QStringLiteral("Temp(°C)");
inline const QString kTempF = QStringLiteral("Temp(°F)");
inline const QString kRh = QStringLiteral("RH (%)");
inline const QString kVoltage = QStringLiteral("Voltage(V)");
inline const QString kCo2 = QStringLiteral("CO2(PPM)");

// The initial widths of columns 0 to 2 follow these texts, blanks included.
inline const QString kNumberWidth = QStringLiteral(" S.No           ");
inline const QString kDateWidth = QStringLiteral(" Date              ");
inline const QString kTimeWidth = QStringLiteral(" Time                ");

// A value cell without a valid reading.
inline const QString kInvalid = QStringLiteral("***");

// Unit captions above the left (value) and right (humidity) axes.
inline const QString kUnitC = QStringLiteral("°C");
inline const QString kUnitF = QStringLiteral("°F");
inline const QString kUnitRh = QStringLiteral("%rh");
inline const QString kUnitVolt = QStringLiteral("V");
inline const QString kUnitCo2 = QStringLiteral("CO2");

} // namespace tabletext
