#include "view/unit_switch.h"

#include "acquisition/conversions.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/numfmt.h"

namespace units {

namespace {

constexpr int kTemperatureColumn = 3;

void convert(ReadingsTable &table, double (*conversion)(double), const char *pattern)
{
    table.convertValues(kTemperatureColumn,
                        [&](double v) { return numfmt::picture(conversion(v), pattern); });
}

} // namespace

bool toCelsius(ReadingsTable &table, qint16 &celsFaren)
{
    const bool converting = celsFaren == 0;
    if (converting) {
        table.setText(0, kTemperatureColumn, tabletext::kTempC);
        convert(table, sensor::Conv_Celsius, "#00.0");
    }
    celsFaren = -1;
    return converting;
}

bool toFahrenheit(ReadingsTable &table, qint16 &celsFaren)
{
    const bool converting = celsFaren != 0;
    if (converting) {
        table.setText(0, kTemperatureColumn, tabletext::kTempF);
        convert(table, sensor::Conv_Faren, "#00.00");
    }
    celsFaren = 0;
    return converting;
}

} // namespace units
