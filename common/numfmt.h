#pragma once

#include <QString>
#include <QtGlobal>

// Number texts of the program. Every number shown, printed or stored goes through here so the
// two rounding rules never get mixed up:
//  - picture patterns ("#00.0", "#00.00", "#0.000", "#000", "#0000", "#00") round a half away
//    from zero, like the pattern formatting users know from spreadsheets;
//  - explicit roundings (to whole numbers, axis labels, live readings, CO2) take a half to the
//    even neighbour.
// Both look at the number as a user reads it: its decimal form with 15 significant digits, so
// 0.15 is a half and 2.675 is a half, whatever the binary fraction says.
// The decimal point is always ".", whatever the locale, so texts move between machines.
namespace numfmt {

// Formats v with a picture pattern of the form [#...][0...][.0...]: the zeros before the point
// give the least number of integer digits, the zeros after it the exact number of decimals.
QString picture(double v, const char *pattern);

// Rounds v to `decimals` places (0 or more), a half going to the even neighbour.
double roundHalfEven(double v, int decimals = 0);

// Rounds to a whole number, halves to even, and converts to a 16-bit integer (saturating).
qint16 toInt16HalfEven(double v);

// Plain decimal text of a number ("24", "23.5", "-0.25"): shortest form, "." as the point.
QString plain(double v);

// Reads a number written with "." as the decimal point (leading/trailing blanks allowed).
// Returns false for anything that is not a number. "***" is not a number.
bool parse(const QString &text, double *out);
double parseOr(const QString &text, double fallback);

} // namespace numfmt
