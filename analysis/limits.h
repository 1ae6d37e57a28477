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
// An empty (or blank) limit text means "no limit", an empty delay 0 minutes.
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

// The longest alarm delay: a year.
inline constexpr int kMaxDelayMinutes = 525600;

// "single", "cumulative": the alarm types as the settings and the command line name them.
QString typeName(AlarmType type);

// One limit given on its own, as a setting keeps it or an option gives it.
struct LimitValue
{
    QString text;
    bool fahrenheit = false; // a temperature given in °F; kept in °C
    bool operator==(const LimitValue &) const = default;
};

// Limits value by value, as the settings keep them and the command line gives them: a value
// not given is no limit (the delay 0 minutes, the type single). Unlike a field of the dialog,
// a value given must say something: a blank one is refused, never taken for "no limit", so an
// empty value cannot remove a limit unnoticed.
struct LimitValues
{
    std::array<std::optional<LimitValue>, kQuantityCount> high;
    std::array<std::optional<LimitValue>, kQuantityCount> low;
    std::optional<QString> delayMinutes;
    std::optional<QString> type; // typeName()
    bool operator==(const LimitValues &) const = default;
};

// `over` laid on `base`: each value `over` gives takes the place of base's.
LimitValues laidOver(LimitValues base, const LimitValues &over);

// The texts that show stored values in the dialog: numbers in the unit shown, anything else
// as it is kept, so a refused set can be mended where it is wrong.
LimitTexts toTexts(const LimitValues &values, bool fahrenheit);

struct Validation
{
    std::optional<Limits> limits; // set when every field is sound
    QString error;                // otherwise what is wrong, in a sentence for the user
};

// The one check of limits, wherever they come from: numbers where numbers belong, each low
// below its high, the delay a whole number of minutes from 0 to a year, a known alarm type.
// Temperatures given in °F are kept in °C.
Validation validate(const LimitValues &values);
// The same for what is typed in the dialog (blank fields: no limit, delay 0).
Validation validate(const LimitTexts &texts);

} // namespace analysis
