#pragma once

#include <QDate>
#include <QString>

#include <optional>

// What the user chose for a printout: the Print Options dialog fills one of these when OK is
// clicked, and the listing and the graph read only this and the reading set. Tests and the
// benchmark fill it directly.
namespace printout {

enum class Selection {
    All,         // every reading
    Range,       // a start and an end date with a daily (listing) or overall (graph) time span
    ActiveSheet, // the rows shown in the table's view, listing only
    None         // nothing chosen: header only
};

struct PrintInputs
{
    QString title;
    Selection selection = Selection::All;
    QDate startDate;
    QDate endDate;
    QString startTime; // texts of the time lists, as shown (typed text included)
    QString endTime;
    int topRow = 1; // table row at the top of the table's view
    // Marker radius in page units. The printed graph always shows the whole span, so its
    // markers keep the size of the unzoomed screen graph.
    double markerRadius = 20;
};

enum class Bound { Start, End };

// The first bound of a range whose time text is not a time of day; nullopt when both are
// times (or the selection is not a range, where the bounds are not used).
std::optional<Bound> invalidTimeBound(const PrintInputs &in);

// How a printout ended.
enum class PrintResult {
    Printed,
    NotStarted, // the device could not be painted on: no printer, an unwritable file
    Failed      // the device reported a failure while ending the document
};

// Pictures of the printouts, with their size on screen in pixels.
inline const QString kLogoPicture = QStringLiteral(":/icons/logo.svg");
inline constexpr int kLogoWidthPx = 91;
inline constexpr int kLogoHeightPx = 31;
inline const QString kLegendTemperature = QStringLiteral(":/icons/legend_temperature.svg");
inline const QString kLegendTempHumidity = QStringLiteral(":/icons/legend_temp_humidity.svg");
inline const QString kLegendVoltage = QStringLiteral(":/icons/legend_voltage.svg");
inline const QString kLegendCo2 = QStringLiteral(":/icons/legend_co2.svg");
inline constexpr int kLegendWidthPx = 171;
inline constexpr int kLegendHeightPx = 31;
inline constexpr int kLegendTwoLineHeightPx = 63;

} // namespace printout
