#pragma once

#include "analysis/quantity.h"

#include <QString>

#include <array>
#include <optional>

// Alarm limits of a logger: per quantity an optional high and low limit (temperatures in °C),
// one alarm delay and one alarm type for all of them.
namespace analysis {

// Single: one excursion beyond a limit must last at least the delay.
// Cumulative: the excursions beyond one limit together must last at least the delay.
enum class AlarmType { Single, Cumulative };

struct Bounds
{
    std::optional<double> high;
    std::optional<double> low;

    bool isSet() const { return high || low; }
    bool operator==(const Bounds &) const = default;
};

struct Limits
{
    std::array<Bounds, kQuantityCount> bounds; // by index(Quantity); temperature in °C
    int delayMinutes = 0;
    AlarmType type = AlarmType::Single;

    Bounds &operator[](Quantity q) { return bounds[size_t(index(q))]; }
    const Bounds &operator[](Quantity q) const { return bounds[size_t(index(q))]; }
    bool operator==(const Limits &) const = default;

    // The bounds of `q` in the table's unit.
    Bounds shownBounds(Quantity q, bool fahrenheit) const;
};

// Limits as a person types them: the texts of every field, temperatures in the unit shown.
// An empty (or blank) limit text means "no limit".
struct LimitTexts
{
    std::array<QString, kQuantityCount> high;
    std::array<QString, kQuantityCount> low;
    QString delayMinutes;
    bool cumulative = false;
    bool fahrenheit = false;
};

// The texts that show `limits` (temperatures in the unit shown).
LimitTexts toTexts(const Limits &limits, bool fahrenheit);

struct Validation
{
    std::optional<Limits> limits; // set when every field is sound
    QString error;                // otherwise what is wrong, in a sentence for the user
};

// Reads and checks typed limits: numbers where numbers belong, each low below its high, the
// delay a whole number of minutes, 0 or more. Temperatures typed in °F are kept in °C.
Validation validate(const LimitTexts &texts);

} // namespace analysis
