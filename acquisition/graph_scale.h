#pragma once

class ReadingsTable;

// The rule that scales a graph of readings, on screen and on paper alike: which traces a model
// draws, and the bounds of an axis, whole numbers one above the largest and one below the
// smallest reading.
namespace graphscale {

// Models drawn with a value trace (every known code) and with a humidity trace.
bool drawsValue(int model);
bool drawsHumidity(int model);

struct Range
{
    double top = 0;
    double bottom = 0;
};

// The extremes are rounded to whole numbers first, halves to the even neighbour. Without any
// valid reading (`any` false) the axis runs from -1 to 1.
Range around(bool any, double largest, double smallest);
// The same over rows `first` to `last` of a table column (a range of one row when
// last <= first), skipping cells without a valid reading.
Range ofRows(const ReadingsTable &table, int column, int first, int last);

} // namespace graphscale
