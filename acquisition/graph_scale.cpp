#include "acquisition/graph_scale.h"

#include "acquisition/table_queries.h"
#include "common/model_codes.h"
#include "common/numfmt.h"

namespace graphscale {

bool drawsValue(int model)
{
    return model::family(model) != model::Family::Unknown;
}

bool drawsHumidity(int model)
{
    return model::isHumidity(model);
}

Range around(bool any, double largest, double smallest)
{
    const auto whole = [any](double v) { return any ? double(numfmt::toInt16HalfEven(v)) : 0.0; };
    return Range{whole(largest) + 1, whole(smallest) - 1};
}

Range ofRows(const ReadingsTable &table, int column, int first, int last)
{
    const auto e = tablequery::extremes(table, column, first, last);
    return e ? around(true, e->largest, e->smallest) : around(false, 0, 0);
}

} // namespace graphscale
