#include "view/unit_switch.h"

#include "acquisition/conversions.h"
#include "common/numfmt.h"
#include "view/readings_table.h"
#include "view/table_texts.h"

namespace units {

namespace {

constexpr int kTemperatureColumn = 3;

void convert(ReadingsTable &table, double (*conversion)(double), const char *pattern)
{
    table.editColumn(kTemperatureColumn, [&](QString &text) {
        double v = 0;
        if (text == tabletext::kInvalid || !numfmt::parse(text, &v))
            return false;
        text = numfmt::picture(conversion(v), pattern);
        return true;
    });
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
